#include "DBSelectDialog.h"

#include <QFontMetrics>
#include <QPushButton>
#include <memory>

#include "DialogTemplate.h"
#include "OwnerDrawList.h"
#include "ShiftJisText.h"

namespace varo {
namespace dialogs {

namespace {

// The list's creation options: columns keep their widths, the header is inert.
const unsigned int kListOptions = kListFixedColumns | kListInertHeader;

}  // namespace

CDBSelectDialog::CDBSelectDialog(const DatabaseListing& listing, unsigned int confirmKind, unsigned int closeKind,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(FromShiftJis(kDBSelectTemplate.caption));
    setFont(TemplateFont(kDBSelectTemplate));
    const DialogUnits units(font());
    setFixedSize(units.ToPixelsX(kDBSelectTemplate.width), units.ToPixelsY(kDBSelectTemplate.height));
    CreateButtons();
    SetCaptions(confirmKind, closeKind);
    CreateList();
    FillRows(listing);
    WidenFolderColumn(listing.longestFolder);
}

QWidget* CDBSelectDialog::Control(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

QPushButton* CDBSelectDialog::Button(int id) const { return static_cast<QPushButton*>(Control(id)); }

DWORD CDBSelectDialog::RowId(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rowIds.size())) return 0;
    return m_rowIds[static_cast<size_t>(row)];
}

void CDBSelectDialog::CreateButtons() {
    const DialogUnits units(font());
    for (int i = 0; i < kDBSelectTemplate.controlCount; ++i) {
        const ControlTemplate& control = kDBSelectTemplate.controls[i];
        QPushButton* button = new QPushButton(FromShiftJis(control.text), this);
        button->setGeometry(units.ToPixels(control.x, control.y, control.width, control.height));
        button->setDefault(control.kind == ControlKind::DefaultButton);
        m_controls[control.id] = button;
    }
    connect(Button(kConfirmButtonId), &QPushButton::clicked, this, &CDBSelectDialog::Confirm);
    connect(Button(kCloseButtonId), &QPushButton::clicked, this, &CDBSelectDialog::Cancel);
}

void CDBSelectDialog::SetCaptions(unsigned int confirmKind, unsigned int closeKind) {
    Button(kConfirmButtonId)->setText(FromShiftJis(ConfirmCaption(confirmKind)));
    Button(kCloseButtonId)->setText(FromShiftJis(CloseCaption(closeKind)));
}

void CDBSelectDialog::CreateList() {
    m_list = new COwnerDrawList(this, kListOptions, kMarkColumn, kNoColumn, kDatabaseBitmapId);
    m_controls[kListId] = m_list;
    for (int column = 0; column < kColumnCount; ++column) {
        m_list->InsertColumn(column, FromShiftJis(kColumns[column].title), kColumns[column].width, Qt::AlignCenter);
    }
    // Placed once its columns give the header its height.
    m_list->SetPlacement(QRect(kListInsets.left, kListInsets.top, width() - kListInsets.left - kListInsets.right,
                               height() - kListInsets.top - kListInsets.bottom));
    connect(m_list, &COwnerDrawList::listDoubleClicked, this, &CDBSelectDialog::Confirm);
}

void CDBSelectDialog::FillRows(const DatabaseListing& listing) {
    for (const DatabaseEntry& entry : listing.entries) {
        std::vector<QString> texts(kColumnCount);
        texts[kNameColumn] = FromShiftJis(entry.name);
        texts[kFolderColumn] = FromShiftJis(entry.folder);
        m_list->AddRow(std::make_unique<CListRow>(std::move(texts), entry.isDefault ? 1 : 0));
        m_rowIds.push_back(entry.id);
    }
}

void CDBSelectDialog::WidenFolderColumn(int longestFolder) {
    if (longestFolder <= 0) return;
    const int averageWidth = QFontMetrics(m_list->font()).averageCharWidth();
    m_list->SetColumnWidth(kNameColumn, kColumns[kNameColumn].width);
    m_list->SetColumnWidth(kFolderColumn, FolderColumnWidth(averageWidth, longestFolder));
}

void CDBSelectDialog::Confirm() {
    m_chosen = 0;
    std::vector<int> selected;
    if (m_list->GetSelection(selected) == 0) return;
    m_chosen = RowId(selected.front());
    accept();
}

void CDBSelectDialog::Cancel() {
    m_chosen = 0;
    reject();
}

}  // namespace dialogs
}  // namespace varo

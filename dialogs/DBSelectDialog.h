// CDBSelectDialog: the modal chooser of DBSelect. It shows the databases of
// a listing in an owner-drawn list (mark, name, folder) with the confirming
// and closing buttons of dialog template 201, captioned for the caller's
// confirm and close kinds.
//
// Contract:
// - The dialog copies what it shows from the listing; it owns its controls.
// - It ends accepted only with a chosen row (button 202, Enter or a double
//   click while a row is selected); then ChosenId is that row's database.
//   Button 203, the close box and Escape end it rejected, with no choice.
// - Used on the GUI thread of a QApplication.
#pragma once

#include <QDialog>
#include <map>
#include <vector>

#include "DatabaseRows.h"

class QPushButton;

namespace varo {
namespace dialogs {

class COwnerDrawList;

class CDBSelectDialog : public QDialog {
public:
    CDBSelectDialog(const DatabaseListing& listing, unsigned int confirmKind, unsigned int closeKind,
                    QWidget* parent = nullptr);

    // The control of template id `id` (202, 203 or 204), or null.
    QWidget* Control(int id) const;
    COwnerDrawList* List() const { return m_list; }
    // The database chosen; 0 unless the dialog ended accepted.
    DWORD ChosenId() const { return m_chosen; }
    // The database id of list row `row`, or 0.
    DWORD RowId(int row) const;

    void Confirm();
    void Cancel();

private:
    void CreateButtons();
    void SetCaptions(unsigned int confirmKind, unsigned int closeKind);
    void CreateList();
    void FillRows(const DatabaseListing& listing);
    void WidenFolderColumn(int longestFolder);
    QPushButton* Button(int id) const;

    std::map<int, QWidget*> m_controls;
    COwnerDrawList* m_list = nullptr;
    std::vector<DWORD> m_rowIds;
    DWORD m_chosen = 0;
};

}  // namespace dialogs
}  // namespace varo

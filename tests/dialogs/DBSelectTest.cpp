#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "DBSelectDialog.h"
#include "DBSelectHook.h"
#include "DialogTemplate.h"
#include "DialogTestSupport.h"
#include "EngineOperations.h"
#include "FakeEngine.h"
#include "VAROObj.h"

using namespace varo;
using namespace varo::dialogs;

namespace {

struct Known {
    int32_t id;
    std::u16string name;
    std::u16string location;
};

// A 60-byte folder and its database file name.
const std::u16string kLongFolder = u"/home/user/varo-data/with/a/rather/long/folders/vdb0000000c/";

// What DBSelect returned, the ids it left in the array, and whether the
// user left the dialog open.
using Outcome = std::tuple<long, std::vector<DWORD>, bool>;
const Outcome kCancelled{VARO_ERR_CANCELLED, {0}, false};

using Act = std::function<void(CDBSelectDialog&)>;

QString U(const char16_t* text) { return QString::fromUtf16(text); }
QString Caption(CDBSelectDialog& dialog, int id) { return static_cast<QPushButton*>(dialog.Control(id))->text(); }
void PushButton(CDBSelectDialog& dialog, int id) { static_cast<QPushButton*>(dialog.Control(id))->click(); }
void SelectRow(CDBSelectDialog& dialog, int row) {
    Click(dialog.List()->viewport(), CellCentre(*dialog.List(), row, 1));
}
const Act kClose = [](CDBSelectDialog& dialog) { PushButton(dialog, kCloseButtonId); };

class DBSelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        Script({{11, u"\u682a\u5f0f" /* 株式 */, u"/data/vdb0000000b/vdb0000000b.sqlite"},
                {12, u"Home", kLongFolder + u"vdb0000000c.sqlite"},
                {13, u"Work", u"/data/vdb0000000d/vdb0000000d.sqlite"}},
               12);
    }
    void TearDown() override { SetShownHook(ShownHook()); }

    FakeEngine& engine() { return m_factory.engine(); }

    // The engine knows these databases, `defaultId` the default.
    void Script(std::vector<Known> known, int32_t defaultId) {
        m_known = std::move(known);
        engine().OnCall(kOpGetAllDBID, [this](const EngineArg* args, int) {
            const int32_t count = static_cast<int32_t>(m_known.size());
            unsigned char* out = static_cast<unsigned char*>(args[0].buffer);
            for (int32_t i = 0; out && i < std::min(count, *args[1].i4Out); ++i) {
                for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<unsigned char>(m_known[i].id >> (8 * b));
            }
            *args[1].i4Out = count;
            return 1;
        });
        engine().HandOutI4(kOpGetDefaultDBID, 0, defaultId, 1);
        engine().OnCall(kOpGetDBName, [this](const EngineArg* args, int) {
            const Known* db = Find(args[0].i4);
            if (db) *args[1].textOut = engine().NewText(db->name);
            return db ? 1 : 0;
        });
        engine().OnCall(kOpGetDBLocation, [this](const EngineArg* args, int) {
            const Known* db = args[1].i4 == 1 ? Find(args[0].i4) : nullptr;
            if (db) *args[2].textOut = engine().NewText(db->location);
            return db ? 1 : 0;
        });
    }

    // Runs DBSelect with `ids` passed in; `act` plays the user. A dialog the
    // user left open is closed and reported.
    Outcome Run(std::vector<DWORD> ids, const Act& act, unsigned int confirmKind = 10, unsigned int closeKind = 20) {
        bool leftOpen = false;
        SetShownHook([&act, &leftOpen](CDBSelectDialog& dialog) {
            act(dialog);
            leftOpen = dialog.isVisible();
            if (leftOpen) dialog.reject();
        });
        CDWordArray array;
        for (DWORD id : ids) array.Add(id);
        const long result = m_kit.DBSelect(array, confirmKind, closeKind);
        std::vector<DWORD> out;
        for (int i = 0; i < array.GetSize(); ++i) out.push_back(array[i]);
        return Outcome{result, out, leftOpen};
    }

    FakeEngineFactory m_factory;
    CVAROObj m_kit;

private:
    const Known* Find(int32_t id) const {
        for (const Known& db : m_known) {
            if (db.id == id) return &db;
        }
        return nullptr;
    }
    std::vector<Known> m_known;
};

TEST_F(DBSelectTest, CaptionsAndLayoutFollowTheTemplateAndTheKinds) {
    const struct {
        unsigned int confirmKind, closeKind;
        QString confirm, close;
    } kinds[] = {{13, 20, U(u"\uff98\uff7d\uff84\u304b\u3089\u524a\u9664") /* ﾘｽﾄから削除 */,
                  U(u"\u9589\u3058\u308b") /* 閉じる */},
                 {0, 0, "OK", U(u"\uff77\uff6c\uff9d\uff7e\uff99") /* ｷｬﾝｾﾙ */}};
    for (const auto& kind : kinds) {
        const Act check = [&](CDBSelectDialog& dialog) {
            EXPECT_EQ(Caption(dialog, kConfirmButtonId), kind.confirm);
            EXPECT_EQ(Caption(dialog, kCloseButtonId), kind.close);
            EXPECT_EQ(dialog.windowTitle(), U(u"\uff83\uff9e\uff70\uff80\uff8d\uff9e\uff70\uff7d\u9078\u629e"));
            EXPECT_EQ(dialog.font().family(), U(u"\uff2d\uff33 \u30b4\u30b7\u30c3\u30af"));  // ＭＳ ゴシック
            const DialogUnits units(dialog.font());
            EXPECT_EQ(dialog.size(), QSize(units.ToPixelsX(238), units.ToPixelsY(181)));
            EXPECT_EQ(dialog.Control(kConfirmButtonId)->geometry(), units.ToPixels(4, 163, 50, 14));
            EXPECT_EQ(dialog.Control(kCloseButtonId)->geometry(), units.ToPixels(186, 163, 50, 14));
            EXPECT_TRUE(static_cast<QPushButton*>(dialog.Control(kConfirmButtonId))->isDefault());
            ASSERT_EQ(dialog.Control(kListId), dialog.List());
            const COwnerDrawList& list = *dialog.List();
            const int height =
                COwnerDrawList::SnappedHeight(dialog.height() - 42, list.HeaderHeight(), list.RowHeight());
            EXPECT_EQ(list.geometry(), QRect(7, 7, dialog.width() - 14, height));
            EXPECT_EQ(list.ColumnWidth(0), 18);
            EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString(), U(u"\u540d\u524d"));  // 名前
            EXPECT_EQ(list.model()->headerData(2, Qt::Horizontal).toString(),
                      U(u"\uff83\uff9e\uff70\uff80\uff8d\uff9e\uff70\uff7d\uff8c\uff6b\uff99\uff80\uff9e"));
            PushButton(dialog, kCloseButtonId);
        };
        EXPECT_EQ(Run({}, check, kind.confirmKind, kind.closeKind), kCancelled) << kind.confirmKind;
    }
    // The application DBSelect made for itself is gone again.
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST_F(DBSelectTest, RowsComeFromTheEngineLessTheLeftOutIds) {
    std::vector<DWORD> shown;
    std::vector<QString> texts;
    const Outcome outcome = Run({12, 99}, [&](CDBSelectDialog& dialog) {
        for (int row = 0; row < dialog.List()->RowCount(); ++row) {
            shown.push_back(dialog.RowId(row));
            for (int column = 0; column < 3; ++column) texts.push_back(dialog.List()->Row(row)->Text(column));
        }
        SelectRow(dialog, 1);
        PushButton(dialog, kConfirmButtonId);
    });
    EXPECT_EQ(shown, (std::vector<DWORD>{11, 13}));
    EXPECT_EQ(texts, (std::vector<QString>{QString(), U(u"\u682a\u5f0f"), "/data/vdb0000000b/",
                                           QString(), "Work", "/data/vdb0000000d/"}));
    EXPECT_EQ(outcome, (Outcome{VARO_OK, {13}, false}));

    // The engine was asked in the chooser's order, and never about database 12.
    std::vector<int> ops = engine().Ops();
    ops.erase(ops.begin());
    EXPECT_EQ(ops, (std::vector<int>{kOpGetAllDBID, kOpGetAllDBID, kOpGetDefaultDBID, kOpGetDBName, kOpGetDBLocation,
                                     kOpGetDBName, kOpGetDBLocation}));
    for (const FakeEngine::Call& call : engine().calls) {
        EXPECT_FALSE((call.op == kOpGetDBName || call.op == kOpGetDBLocation) && call.args[0].value == 12);
        EXPECT_FALSE(call.op == kOpGetDBLocation && call.args[1].value != 1);
    }
    EXPECT_EQ(engine().liveTexts, 0);
}

TEST_F(DBSelectTest, EveryWayOfEndingGivesItsOutcome) {
    const auto key = [](int key) {
        return [key](CDBSelectDialog& dialog) {
            SelectRow(dialog, 0);
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(dialog.List(), &event);
        };
    };
    const struct {
        Act act;
        Outcome expected;
    } rows[] = {
        {[](CDBSelectDialog& dialog) { SelectRow(dialog, 0); PushButton(dialog, kCloseButtonId); }, kCancelled},
        {[](CDBSelectDialog& dialog) { SelectRow(dialog, 0); dialog.close(); }, kCancelled},
        {key(Qt::Key_Escape), kCancelled},
        {key(Qt::Key_Return), {VARO_OK, {11}, false}},
        // Confirming needs a row; a double click chooses its row.
        {[](CDBSelectDialog& dialog) {
             PushButton(dialog, kConfirmButtonId);
             EXPECT_TRUE(dialog.isVisible());
             DoubleClick(dialog.List()->viewport(), CellCentre(*dialog.List(), 2, 1));
         },
         {VARO_OK, {13}, false}},
    };
    for (const auto& row : rows) EXPECT_EQ(Run({}, row.act), row.expected);

    // With no databases nothing can be confirmed; only closing ends the dialog.
    Script({}, 0);
    EXPECT_EQ(Run({}, [&](CDBSelectDialog& dialog) {
                  EXPECT_EQ(dialog.List()->RowCount(), 0);
                  PushButton(dialog, kConfirmButtonId);
                  DoubleClick(dialog.List()->viewport(), QPoint(40, 10));
                  EXPECT_TRUE(dialog.isVisible());
                  PushButton(dialog, kCloseButtonId);
              }),
              kCancelled);
}

TEST_F(DBSelectTest, TheDefaultRowIsMarkedAndTheFolderColumnWidensForTheLongestFolder) {
    ASSERT_EQ(kLongFolder.size(), 60u);
    int averageWidth = 0;
    std::vector<int32_t> marks;
    std::vector<int> widths;
    std::vector<QString> texts;
    const Act measure = [&](CDBSelectDialog& dialog) {
        const COwnerDrawList& list = *dialog.List();
        marks.clear();
        for (int row = 0; row < list.RowCount(); ++row) marks.push_back(list.Row(row)->Mark());
        averageWidth = QFontMetrics(list.font()).averageCharWidth();
        widths = {list.ColumnWidth(1), list.ColumnWidth(2)};
        texts = {list.Row(0)->Text(1), list.Row(0)->Text(2)};
        PushButton(dialog, kCloseButtonId);
    };
    Run({}, measure);
    EXPECT_EQ(marks, (std::vector<int32_t>{0, 1, 0}));  // database 12 is the default
    EXPECT_EQ(widths, (std::vector<int>{124, FolderColumnWidth(averageWidth, 60)}));
    EXPECT_GT(widths[1], 197);

    // A refused default marks no row; a failing name or location leaves that text empty.
    engine().Answer(kOpGetDefaultDBID, {0});
    engine().Answer(kOpGetDBName, {0});
    engine().Answer(kOpGetDBLocation, {0});
    Run({}, measure);
    EXPECT_EQ(marks, (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(texts, (std::vector<QString>{QString(), QString()}));

    Script({{5, u"a", u"vdb00000005.sqlite"}, {6, u"b", u"/x/vdb00000006.sqlite"}}, 0);
    Run({}, measure);
    EXPECT_EQ(widths, (std::vector<int>{124, 197}));
}

TEST_F(DBSelectTest, TheChooserBelongsToTheActiveWindowAndOutlivesNone) {
    int argc = 1;
    char name[] = "app";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    auto* main = new QWidget;
    main->setGeometry(60, 40, 640, 480);
    main->show();
    main->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), main);

    QWidget* owner = nullptr;
    QWindow* transientFor = nullptr;
    QPoint centre, mainCentre;
    EXPECT_EQ(Run({}, [&](CDBSelectDialog& dialog) {
                  owner = dialog.parentWidget();
                  transientFor = dialog.windowHandle()->transientParent();
                  centre = dialog.frameGeometry().center();
                  mainCentre = main->frameGeometry().center();
                  PushButton(dialog, kCloseButtonId);
              }),
              kCancelled);
    EXPECT_EQ(owner, main);
    EXPECT_EQ(transientFor, main->windowHandle());
    EXPECT_LE((centre - mainCentre).manhattanLength(), 2) << centre.x() << "," << centre.y();

    // The owner closing and going away while the chooser runs takes the
    // chooser with it: nothing was chosen.
    main->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), main);
    bool owned = false;
    SetShownHook([main, &owned](CDBSelectDialog& dialog) {
        owned = dialog.parentWidget() == main;
        delete main;
        if (!owned) dialog.reject();
    });
    CDWordArray ids;
    ids.Add(11);
    EXPECT_EQ(m_kit.DBSelect(ids, 10, 20), VARO_ERR_CANCELLED);
    EXPECT_TRUE(owned);
    ASSERT_EQ(ids.GetSize(), 1);
    EXPECT_EQ(ids[0], 0u);
}

TEST_F(DBSelectTest, WithoutADisplayOrAWidgetApplicationTheChooserReportsCancelled) {
    // No display named, or one named that is not there: Qt is never
    // started on it (it would end the process) and the engine never asked.
    const std::string noServer = UnusedXDisplay();
    const char* const names[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};
    const std::vector<std::vector<const char*>> environments = {
        {nullptr, nullptr, nullptr, nullptr},
        {nullptr, noServer.c_str(), nullptr, nullptr},
        {"xcb", noServer.c_str(), nullptr, nullptr},
        {nullptr, nullptr, "wayland-varo-none", "/tmp"},
        {"wayland;xcb", noServer.c_str(), "/tmp/wayland-varo-none", nullptr},
    };
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : names) {
        if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    }
    for (const auto& values : environments) {
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i]) {
                setenv(names[i], values[i], 1);
            } else {
                unsetenv(names[i]);
            }
        }
        const Outcome outcome = Run({11}, [](CDBSelectDialog& dialog) { PushButton(dialog, kConfirmButtonId); });
        for (const char* name : names) unsetenv(name);
        for (const auto& entry : saved) setenv(entry.first.c_str(), entry.second.c_str(), 1);
        EXPECT_EQ(outcome, kCancelled) << (values[1] ? values[1] : "") << " " << (values[2] ? values[2] : "");
    }
    EXPECT_EQ(engine().CallsOf(kOpGetAllDBID), 0);

    int argc = 1;
    char name[] = "core";
    char* argv[] = {name, nullptr};
    {
        QCoreApplication core(argc, argv);
        EXPECT_EQ(Run({}, kClose), kCancelled);
    }
    QApplication own(argc, argv);
    EXPECT_EQ(Run({}, [](CDBSelectDialog& dialog) { SelectRow(dialog, 0); PushButton(dialog, kConfirmButtonId); }),
              (Outcome{VARO_OK, {11}, false}));
    EXPECT_EQ(QCoreApplication::instance(), &own);
}

}  // namespace

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <cstdlib>
#include <functional>
#include <string>
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
const std::u16string kFile = u"vdb0000000c.sqlite";

class DBSelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        Script({{11, u"\u682a\u5f0f" /* 株式 */, u"/data/vdb0000000b/vdb0000000b.sqlite"},
                {12, u"Home", kLongFolder + kFile},
                {13, u"Work", u"/data/vdb0000000d/vdb0000000d.sqlite"}},
               12);
    }
    void TearDown() override { SetShownHook(ShownHook()); }

    FakeEngine& engine() { return m_factory.engine(); }

    void Script(std::vector<Known> known, int32_t defaultId) {
        m_known = std::move(known);
        engine().OnCall(kOpGetAllDBID, [this](const EngineArg* args, int) {
            const int32_t count = static_cast<int32_t>(m_known.size());
            if (args[0].buffer) {
                unsigned char* out = static_cast<unsigned char*>(args[0].buffer);
                for (int32_t i = 0; i < std::min(count, *args[1].i4Out); ++i) {
                    for (int b = 0; b < 4; ++b) out[4 * i + b] = static_cast<unsigned char>(m_known[i].id >> (8 * b));
                }
            }
            *args[1].i4Out = count;
            return 1;
        });
        engine().HandOutI4(kOpGetDefaultDBID, 0, defaultId, 1);
        engine().OnCall(kOpGetDBName, [this](const EngineArg* args, int) {
            const Known* db = Find(args[0].i4);
            if (!db) return 0;
            *args[1].textOut = engine().NewText(db->name);
            return 1;
        });
        engine().OnCall(kOpGetDBLocation, [this](const EngineArg* args, int) {
            const Known* db = Find(args[0].i4);
            if (!db || args[1].i4 != 1) return 0;
            *args[2].textOut = engine().NewText(db->location);
            return 1;
        });
    }

    struct Outcome {
        long result;
        std::vector<DWORD> ids;
        bool leftOpen;
        bool operator==(const Outcome& o) const { return result == o.result && ids == o.ids && leftOpen == o.leftOpen; }
        friend void PrintTo(const Outcome& o, std::ostream* out) {
            *out << o.result << " with " << testing::PrintToString(o.ids) << (o.leftOpen ? ", left open" : "");
        }
    };
    const Outcome kCancelled = {VARO_ERR_CANCELLED, {0}, false};

    // Runs DBSelect with `ids` passed in; `act` plays the user. A dialog the
    // user left open is closed and reported.
    Outcome Run(std::vector<DWORD> ids, unsigned int confirmKind, unsigned int closeKind,
                std::function<void(CDBSelectDialog&)> act) {
        bool leftOpen = false;
        SetShownHook([&act, &leftOpen](CDBSelectDialog& dialog) {
            act(dialog);
            if (dialog.isVisible()) {
                leftOpen = true;
                dialog.reject();
            }
        });
        CDWordArray array;
        for (DWORD id : ids) array.Add(id);
        const long result = m_kit.DBSelect(array, confirmKind, closeKind);
        std::vector<DWORD> out;
        for (int i = 0; i < array.GetSize(); ++i) out.push_back(array[i]);
        return {result, out, leftOpen};
    }

    static QString Caption(CDBSelectDialog& dialog, int id) {
        return static_cast<QPushButton*>(dialog.Control(id))->text();
    }
    static void Click(CDBSelectDialog& dialog, int id) { static_cast<QPushButton*>(dialog.Control(id))->click(); }
    static void DoubleClickRow(CDBSelectDialog& dialog, int row) {
        DoubleClick(dialog.List()->viewport(), CellCentre(*dialog.List(), row, 1));
    }
    static void SelectRow(CDBSelectDialog& dialog, int row) {
        Press(dialog.List()->viewport(), CellCentre(*dialog.List(), row, 1));
        Release(dialog.List()->viewport(), CellCentre(*dialog.List(), row, 1));
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
    QString confirm, close, title;
    const Outcome outcome = Run({}, 13, 20, [&](CDBSelectDialog& dialog) {
        confirm = Caption(dialog, kConfirmButtonId);
        close = Caption(dialog, kCloseButtonId);
        title = dialog.windowTitle();
        const DialogUnits units(dialog.font());
        EXPECT_EQ(dialog.size(), QSize(units.ToPixelsX(238), units.ToPixelsY(181)));
        EXPECT_EQ(dialog.Control(kConfirmButtonId)->geometry(), units.ToPixels(4, 163, 50, 14));
        EXPECT_EQ(dialog.Control(kCloseButtonId)->geometry(), units.ToPixels(186, 163, 50, 14));
        EXPECT_TRUE(static_cast<QPushButton*>(dialog.Control(kConfirmButtonId))->isDefault());
        const QRect list = dialog.Control(kListId)->geometry();
        EXPECT_EQ(list.topLeft(), QPoint(7, 7));
        EXPECT_EQ(list.width(), dialog.width() - 14);
        EXPECT_EQ(list.height(), COwnerDrawList::SnappedHeight(dialog.height() - 42, dialog.List()->HeaderHeight()));
        EXPECT_EQ(dialog.List()->ColumnWidth(0), 18);
        EXPECT_EQ(dialog.List()->model()->headerData(1, Qt::Horizontal).toString(),
                  QString::fromUtf16(u"\u540d\u524d"));  // 名前
        Click(dialog, kCloseButtonId);
    });
    EXPECT_EQ(confirm, QString::fromUtf16(u"\uff98\uff7d\uff84\u304b\u3089\u524a\u9664"));  // ﾘｽﾄから削除
    EXPECT_EQ(close, QString::fromUtf16(u"\u9589\u3058\u308b"));                           // 閉じる
    EXPECT_EQ(title, QString::fromUtf16(u"\uff83\uff9e\uff70\uff80\uff8d\uff9e\uff70\uff7d\u9078\u629e"));
    EXPECT_EQ(outcome, kCancelled);
    // The application DBSelect made for itself is gone again.
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST_F(DBSelectTest, RowsComeFromTheEngineLessTheLeftOutIds) {
    std::vector<DWORD> shown;
    std::vector<QString> names, folders;
    const Outcome outcome = Run({12, 99}, 10, 20, [&](CDBSelectDialog& dialog) {
        for (int row = 0; row < dialog.List()->RowCount(); ++row) {
            shown.push_back(dialog.RowId(row));
            names.push_back(dialog.List()->Row(row)->Text(1));
            folders.push_back(dialog.List()->Row(row)->Text(2));
            EXPECT_TRUE(dialog.List()->Row(row)->Text(0).isEmpty());
        }
        SelectRow(dialog, 1);
        Click(dialog, kConfirmButtonId);
    });
    EXPECT_EQ(shown, (std::vector<DWORD>{11, 13}));
    EXPECT_EQ(names, (std::vector<QString>{QString::fromUtf16(u"\u682a\u5f0f"), QStringLiteral("Work")}));
    EXPECT_EQ(folders,
              (std::vector<QString>{QStringLiteral("/data/vdb0000000b/"), QStringLiteral("/data/vdb0000000d/")}));
    EXPECT_EQ(outcome, (Outcome{VARO_OK, {13}, false}));

    // The engine was asked in the chooser's order, and never about database 12.
    std::vector<int> ops = engine().Ops();
    ops.erase(ops.begin());
    EXPECT_EQ(ops, (std::vector<int>{kOpGetAllDBID, kOpGetAllDBID, kOpGetDefaultDBID, kOpGetDBName, kOpGetDBLocation,
                                     kOpGetDBName, kOpGetDBLocation}));
    for (const FakeEngine::Call& call : engine().calls) {
        if (call.op != kOpGetDBName && call.op != kOpGetDBLocation) continue;
        EXPECT_NE(call.args[0].value, 12);
        if (call.op == kOpGetDBLocation) {
            EXPECT_EQ(call.args[1].value, 1);
        }
    }
    EXPECT_EQ(engine().liveTexts, 0);
}

TEST_F(DBSelectTest, EveryWayOfEndingGivesItsOutcome) {
    const auto press = [](int key) {
        return [key](CDBSelectDialog& dialog) {
            SelectRow(dialog, 0);
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(dialog.List(), &event);
        };
    };
    const struct {
        std::function<void(CDBSelectDialog&)> act;
        Outcome expected;
    } rows[] = {
        {[](CDBSelectDialog& dialog) { SelectRow(dialog, 0); Click(dialog, kCloseButtonId); }, kCancelled},
        {[](CDBSelectDialog& dialog) { SelectRow(dialog, 0); dialog.close(); }, kCancelled},
        {press(Qt::Key_Escape), kCancelled},
        {press(Qt::Key_Return), {VARO_OK, {11}, false}},
        // Confirming needs a row; a double click chooses its row.
        {[](CDBSelectDialog& dialog) {
             Click(dialog, kConfirmButtonId);
             EXPECT_TRUE(dialog.isVisible());
             DoubleClickRow(dialog, 2);
         },
         {VARO_OK, {13}, false}},
    };
    for (const auto& row : rows) EXPECT_EQ(Run({}, 10, 20, row.act), row.expected);

    // With no databases nothing can be confirmed; only closing ends the dialog.
    Script({}, 0);
    const Outcome outcome = Run({}, 10, 20, [&](CDBSelectDialog& dialog) {
        EXPECT_EQ(dialog.List()->RowCount(), 0);
        Click(dialog, kConfirmButtonId);
        DoubleClick(dialog.List()->viewport(), QPoint(40, 10));
        EXPECT_TRUE(dialog.isVisible());
        Click(dialog, kCloseButtonId);
    });
    EXPECT_EQ(outcome, kCancelled);
}

TEST_F(DBSelectTest, TheDefaultDatabaseRowIsMarked) {
    std::vector<int32_t> flags;
    const auto marks = [&](CDBSelectDialog& dialog) {
        flags.clear();
        for (int row = 0; row < dialog.List()->RowCount(); ++row) flags.push_back(dialog.List()->Row(row)->Mark());
        Click(dialog, kCloseButtonId);
    };
    Run({}, 10, 20, marks);
    EXPECT_EQ(flags, (std::vector<int32_t>{0, 1, 0}));  // database 12 is the default
    engine().Answer(kOpGetDefaultDBID, {0});  // a refused default marks no row
    Run({}, 10, 20, marks);
    EXPECT_EQ(flags, (std::vector<int32_t>{0, 0, 0}));
}

TEST_F(DBSelectTest, TheFolderColumnWidensForTheLongestFolder) {
    ASSERT_EQ(kLongFolder.size(), 60u);
    int averageWidth = 0;
    std::vector<QString> texts;
    std::vector<int> widths;
    const auto measure = [&](CDBSelectDialog& dialog) {
        averageWidth = QFontMetrics(dialog.List()->font()).averageCharWidth();
        widths = {dialog.List()->ColumnWidth(1), dialog.List()->ColumnWidth(2)};
        texts = {dialog.List()->Row(0)->Text(1), dialog.List()->Row(0)->Text(2)};
        Click(dialog, kCloseButtonId);
    };
    Run({}, 10, 20, measure);
    EXPECT_EQ(widths, (std::vector<int>{124, FolderColumnWidth(averageWidth, 60)}));
    EXPECT_GT(widths[1], 197);
    Script({{5, u"a", u"vdb00000005.sqlite"}, {6, u"b", u"/x/vdb00000006.sqlite"}}, 0);
    Run({}, 10, 20, measure);
    EXPECT_EQ(widths, (std::vector<int>{124, 197}));

    // A failing name or location leaves that text empty.
    engine().Answer(kOpGetDBName, {0});
    engine().Answer(kOpGetDBLocation, {0});
    Run({}, 10, 20, measure);
    EXPECT_EQ(texts, (std::vector<QString>{QString(), QString()}));
}

TEST_F(DBSelectTest, WithoutADisplayOrAWidgetApplicationTheChooserReportsCancelled) {
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value) saved.emplace_back(name, value);
        unsetenv(name);
    }
    const Outcome outcome = Run({11}, 10, 20, [](CDBSelectDialog& dialog) { Click(dialog, kConfirmButtonId); });
    for (const auto& entry : saved) setenv(entry.first.c_str(), entry.second.c_str(), 1);
    EXPECT_EQ(outcome, kCancelled);
    EXPECT_EQ(engine().CallsOf(kOpGetAllDBID), 0);

    int argc = 1;
    char name[] = "core";
    char* argv[] = {name, nullptr};
    {
        QCoreApplication core(argc, argv);
        EXPECT_EQ(Run({}, 10, 20, [](CDBSelectDialog& dialog) { Click(dialog, kCloseButtonId); }), kCancelled);
    }
    {
        QApplication own(argc, argv);
        const Outcome onOwn = Run({}, 10, 20, [](CDBSelectDialog& dialog) {
            SelectRow(dialog, 0);
            Click(dialog, kConfirmButtonId);
        });
        EXPECT_EQ(onOwn, (Outcome{VARO_OK, {11}, false}));
        EXPECT_EQ(QCoreApplication::instance(), &own);
    }
}

}  // namespace

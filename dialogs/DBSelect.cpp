// CVAROObj::DBSelect: lets the user choose one database of the engine's list
// in the modal chooser, on the calling program's QApplication or, when it
// has none, on one made for the length of the call.
#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DBSelectDialog.h"
#include "DBSelectHook.h"
#include "DatabaseRows.h"
#include "DisplayProbe.h"
#include "VAROObj.h"

using namespace varo::dialogs;

namespace {

ShownHook& Hook() {
    static ShownHook hook;
    return hook;
}

// The QApplication the dialog runs on: the program's own, or one that lives
// as long as this object when the program has none and a display can be
// opened. Qt ends the process when it finds none, so a program without one
// is told the chooser was closed instead.
class WidgetApplication {
public:
    WidgetApplication() {
        if (QCoreApplication::instance()) {
            m_ready = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
            return;
        }
        const PlatformChoice choice = ChoosePlatform(DisplayEnvironment::OfProcess(), DisplayProbes::OfSystem());
        if (choice.canStart) Start(choice.platforms);
    }
    bool Ready() const { return m_ready; }

private:
    // Starts Qt on `platforms`, or on its own choice when that is empty.
    void Start(const std::string& platforms) {
        m_arguments = {"varokit"};
        if (!platforms.empty()) m_arguments.insert(m_arguments.end(), {"-platform", platforms});
        for (std::string& argument : m_arguments) m_argv.push_back(argument.data());
        m_argv.push_back(nullptr);
        m_argc = static_cast<int>(m_arguments.size());
        m_own = std::make_unique<QApplication>(m_argc, m_argv.data());
        m_ready = true;
    }

    // QApplication keeps the arguments for its whole life, so they are
    // declared before it and outlive it.
    std::vector<std::string> m_arguments;
    std::vector<char*> m_argv;
    int m_argc = 0;
    std::unique_ptr<QApplication> m_own;
    bool m_ready = false;
};

// Shows `dialog` modally until it finishes or is destroyed; true when it
// was accepted. QDialog::exec would wait on for ever for a dialog that its
// owner took down with itself.
bool RunModal(QDialog* dialog) {
    QEventLoop loop;
    bool accepted = false;
    QObject::connect(dialog, &QDialog::finished, &loop, [&loop, &accepted](int result) {
        accepted = result == QDialog::Accepted;
        loop.quit();
    });
    QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    loop.exec(QEventLoop::DialogExec);
    return accepted;
}

// Runs the chooser over the application's active window, which owns it
// (centred on it, transient for it); the id chosen, or nothing when it was
// closed without one. The owner may take the dialog down with itself while
// it runs, so the dialog is deleted here only while it is still there.
std::optional<DWORD> RunChooser(CVAROObj& kit, const CDWordArray& leaveOut, unsigned int confirmKind,
                                unsigned int closeKind) {
    const WidgetApplication application;
    if (!application.Ready()) return std::nullopt;
    const QPointer<CDBSelectDialog> dialog =
        new CDBSelectDialog(ListDatabases(kit, leaveOut), confirmKind, closeKind, QApplication::activeWindow());
    if (Hook()) {
        QTimer::singleShot(0, dialog, [dialog] { Hook()(*dialog); });
    }
    const bool accepted = RunModal(dialog);
    std::optional<DWORD> chosen;
    if (dialog && accepted) chosen = dialog->ChosenId();
    delete dialog.data();
    return chosen;
}

}  // namespace

namespace varo {
namespace dialogs {

void SetShownHook(ShownHook hook) { Hook() = std::move(hook); }

}  // namespace dialogs
}  // namespace varo

long CVAROObj::DBSelect(CDWordArray& ids, unsigned int confirmKind, unsigned int closeKind) {
    const CDWordArray leaveOut(ids);
    ids.RemoveAll();
    const std::optional<DWORD> chosen = RunChooser(*this, leaveOut, confirmKind, closeKind);
    ids.Add(chosen.value_or(0));
    return chosen ? VARO_OK : VARO_ERR_CANCELLED;
}

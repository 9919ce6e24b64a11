#include "toolkit/process_starter.h"

#include <QProcess>

namespace toolkit {
namespace {

ProcessStartScript*& activeScript() {
    static ProcessStartScript* script = nullptr;
    return script;
}

}  // namespace

bool startDetached(const QString& program) {
    if (ProcessStartScript* script = ProcessStartScript::active())
        return script->take(program);
    if (program.isEmpty())
        return false;
    // The program is passed apart from its (empty) arguments, so a path with spaces is
    // never split. Environment and working directory are inherited.
    QProcess process;
    process.setProgram(program);
    process.setArguments({});
    return process.startDetached();
}

ProcessStartScript::ProcessStartScript() : previous_(activeScript()) {
    activeScript() = this;
}

ProcessStartScript::~ProcessStartScript() {
    activeScript() = previous_;
}

ProcessStartScript* ProcessStartScript::active() {
    return activeScript();
}

bool ProcessStartScript::take(const QString& program) {
    started_.append(program);
    return !failing_;
}

}  // namespace toolkit

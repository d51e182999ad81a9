#pragma once

#include <QString>

#include <vector>

namespace host {

// Whether the platform layer offers a function under the name and module the program asks
// for. Module names match without regard to case, function names exactly.
bool IsFunctionExported(const QString& function, const QString& module);

// Tests: pretends, for the guard's lifetime, that a module does not export a function.
class ScopedMissingExport {
public:
    ScopedMissingExport(const QString& function, const QString& module);
    ~ScopedMissingExport();
    ScopedMissingExport(const ScopedMissingExport&) = delete;
    ScopedMissingExport& operator=(const ScopedMissingExport&) = delete;

private:
    QString m_function;
    QString m_module;
};

// Leave tracking as the button expects it: the host delivers one pointer-leave notice per
// request. A system without it is simulated by hiding both tracking functions.
class ScopedWithoutLeaveTracking {
public:
    ScopedWithoutLeaveTracking();

private:
    ScopedMissingExport m_user32;
    ScopedMissingExport m_comctl32;
};

} // namespace host

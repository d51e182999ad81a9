#include "Capabilities.h"

#include <algorithm>
#include <array>

namespace host {

namespace {

struct Export {
    const char* module;
    const char* function;
};

// What this layer realises of the platform's exports; leave tracking comes from the
// toolkit's own leave events.
constexpr std::array Exports = {
    Export{"user32", "TrackMouseEvent"},
    Export{"user32", "CallWindowProcA"},
    Export{"user32", "SetWindowLongA"},
    Export{"comctl32", "_TrackMouseEvent"},
};

struct Hidden {
    QString function;
    QString module;
};

std::vector<Hidden>& hiddenExports()
{
    static std::vector<Hidden> hidden;
    return hidden;
}

bool sameModule(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool isHidden(const QString& function, const QString& module)
{
    const auto& hidden = hiddenExports();
    return std::any_of(hidden.begin(), hidden.end(), [&](const Hidden& h) {
        return h.function == function && sameModule(h.module, module);
    });
}

} // namespace

bool IsFunctionExported(const QString& function, const QString& module)
{
    if (isHidden(function, module))
        return false;
    return std::any_of(Exports.begin(), Exports.end(), [&](const Export& e) {
        return function == QLatin1String(e.function) && sameModule(module, QLatin1String(e.module));
    });
}

ScopedMissingExport::ScopedMissingExport(const QString& function, const QString& module)
    : m_function(function), m_module(module)
{
    hiddenExports().push_back({function, module});
}

ScopedMissingExport::~ScopedMissingExport()
{
    auto& hidden = hiddenExports();
    const auto it = std::find_if(hidden.rbegin(), hidden.rend(), [&](const Hidden& h) {
        return h.function == m_function && h.module == m_module;
    });
    if (it != hidden.rend())
        hidden.erase(std::next(it).base());
}

ScopedWithoutLeaveTracking::ScopedWithoutLeaveTracking()
    : m_user32(QStringLiteral("TrackMouseEvent"), QStringLiteral("User32")),
      m_comctl32(QStringLiteral("_TrackMouseEvent"), QStringLiteral("Comctl32"))
{
}

} // namespace host

#pragma once
// The main window's controls as tests and benchmarks reach them: by their design names.
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace amiscan {

template <class Control> Control *findControl(const QWidget &window, const char *name)
{
    auto *found = window.findChild<Control *>(QLatin1StringView(name));
    if (!found) {
        std::fprintf(stderr, "no control %s\n", name);
        std::abort();
    }
    return found;
}

} // namespace amiscan

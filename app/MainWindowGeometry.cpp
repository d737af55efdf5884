#include "MainWindowGeometry.h"

#include <algorithm>

MainWindowGeometry FitMainWindow(std::optional<QPoint> corner, QSize size, QSize minimum,
                                 const QList<QRect>& screens)
{
    MainWindowGeometry fitted{size.expandedTo(minimum), std::nullopt};
    const auto on = std::find_if(screens.begin(), screens.end(),
                                 [&corner](const QRect& screen) { return corner && screen.contains(*corner); });
    // Without a corner on a screen the window system usually opens the
    // window on the primary screen.
    const QRect screen = on != screens.end() ? *on : screens.value(0);
    if (screen.isEmpty())
        return fitted;
    fitted.size = fitted.size.boundedTo(screen.size()).expandedTo(minimum);
    if (on != screens.end()) {
        // A window larger than its screen (the minimum) keeps its left and top edges on it.
        const int x = std::max(screen.left(), std::min(corner->x(), screen.right() + 1 - fitted.size.width()));
        const int y = std::max(screen.top(), std::min(corner->y(), screen.bottom() + 1 - fitted.size.height()));
        fitted.corner = QPoint(x, y);
    }
    return fitted;
}

#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where the main window opens and how large.
struct MainWindowGeometry
{
    QSize size;
    // Unset: the window system places the window.
    std::optional<QPoint> corner;
};

// The stored size and corner fitted to the screens (their usable areas, the
// primary screen first): the size stays within the screen the window lands
// on, but never below minimum; a corner on a screen is moved as far as the
// window needs to lie on that screen whole, a corner on no screen is
// dropped. A window larger than any screen would cost the machine its
// memory and the operator the window's edges.
MainWindowGeometry FitMainWindow(std::optional<QPoint> corner, QSize size, QSize minimum,
                                 const QList<QRect>& screens);

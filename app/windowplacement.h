#pragma once

#include <QPoint>
#include <QSize>

// The default place of the main window: centred on the screen, each half of the
// difference truncated toward zero (a difference of -5 gives -2).
inline QPoint centredPosition(QSize screen, QSize window)
{
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

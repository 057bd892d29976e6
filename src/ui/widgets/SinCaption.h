#pragma once

class QWidget;

namespace Plataforma {

// Leaves the top-level window `ventana` with no caption text in the window
// system. Qt hands the application's name to the window system in place of an
// empty title, so on X the names it wrote (_NET_WM_NAME, WM_NAME) are emptied
// again once the native window exists. Call it before the window is shown, and
// again whenever Qt may have recreated it. Elsewhere it only empties Qt's title.
void QuitarCaption(QWidget &ventana);

} // namespace Plataforma

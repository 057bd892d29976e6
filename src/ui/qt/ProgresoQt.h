#pragma once

#include "ui/auxiliary/F_Progress.h"

#include <memory>

class QWidget;

// The progress window made of Qt widgets: the loader F_Progress takes.
[[nodiscard]] std::unique_ptr<VentanaProgreso> CargarVentanaProgresoQt();

// The widget of the window `progreso` has loaded, or nullptr.
[[nodiscard]] QWidget *WidgetDe(const F_Progress &progreso);

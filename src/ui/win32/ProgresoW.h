#pragma once

#include "ui/auxiliary/F_Progress.h"

#include <memory>

// The progress window made of Win32 controls: the loader F_Progress takes.
[[nodiscard]] std::unique_ptr<VentanaProgreso> CargarVentanaProgresoW();

// Installs the shared progress window as the indicator that long operations of
// the core report to.
void InstalarVentanasAuxiliares();

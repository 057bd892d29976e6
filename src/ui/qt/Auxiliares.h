#pragma once

// Installs the shared progress window, made of Qt widgets, as the indicator
// that long operations of the core report to. Call once, after the
// QApplication exists.
void InstalarVentanasAuxiliares();

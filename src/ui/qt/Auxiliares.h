#pragma once

// Installs the shared progress window, made of Qt widgets, as the indicator
// that long operations of the core report to. Call once, after the
// QApplication exists.
void InstalarVentanasAuxiliares();

// Qt's own texts (its file choosers, its standard buttons) in Spanish, from
// Qt's translations where the system has them (Debian's qt6-translations-l10n);
// false when it has none, and they stay in English.
bool InstalarTraduccionesQt();

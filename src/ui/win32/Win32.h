#pragma once

// What every part of the Win32 windows shares: the headers, UTF-16 texts,
// pixels at the screen's DPI, the CPC's colours, fonts and the event boundary.
#include "platform/TextoWindows.h"
#include "ui/controles/Disposicion.h"

#include <commctrl.h>

#include <functional>
#include <string>

namespace Win32 {

using Plataforma::Ancho;
using Plataforma::Estrecho;

// The screen's dots per inch, read once.
[[nodiscard]] int Ppp();
// Twips to pixels at the screen's DPI.
[[nodiscard]] inline int Px(int twips) { return Disposicion::TwipsAPixeles(twips, Ppp()); }
[[nodiscard]] RECT Rect(const Disposicion::Lugar &lugar, int dx = 0, int dy = 0);

[[nodiscard]] inline COLORREF Ref(Disposicion::Color c) { return RGB(c.rojo, c.verde, c.azul); }
// Brushes of the program's colours, made once and kept for the process.
[[nodiscard]] HBRUSH BrochaAzul();
[[nodiscard]] HBRUSH BrochaNegra();
[[nodiscard]] HBRUSH BrochaAmarilla();

// Courier New at `puntos` points, bold unless told otherwise, at the screen's
// DPI; made once per size and kept for the process.
[[nodiscard]] HFONT Courier(double puntos, bool negrita = true);

// The text a window holds, as UTF-8.
[[nodiscard]] std::string TextoDe(HWND control);
void PonerTexto(HWND control, const std::string &texto);

// A child control at `lugar` (twips, moved by dx, dy pixels) with `id`.
HWND Crear(HWND padre, const wchar_t *clase, const wchar_t *texto, DWORD estilo,
           const Disposicion::Lugar &lugar, int id, int dx = 0, int dy = 0, DWORD extendido = 0);

// Shows a failure to the user. The default one opens a message box; tests put
// in their own so that nothing waits for a click.
using Avisador = std::function<void(HWND padre, const std::string &mensaje)>;
Avisador InstalarAvisador(Avisador avisador);
// Shows `mensaje` through the installed avisador.
void Avisar(HWND padre, const std::string &mensaje);

// Runs `manejador`; a failure that escapes it is shown and swallowed, so that
// no exception reaches a window procedure. True when the handler ended normally.
bool ProtegerEvento(HWND padre, const std::function<void()> &manejador) noexcept;

} // namespace Win32

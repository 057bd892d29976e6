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

// ---- The program's colours where the common controls draw their own ----

// A list box's and a drop-down's rows start this far in, as the controls' own.
inline constexpr int MargenFila = 2;
// Paints one row of an owner-drawn list box or drop-down list (text kept by
// the control) in the panes' colours, a chosen row inverted; the drop-down's
// own field never shows chosen.
void PintarFila(const DRAWITEMSTRUCT &d);
// The custom-draw answer that paints a list view's rows so.
[[nodiscard]] LRESULT PintarFilaVista(NMLVCUSTOMDRAW &d);
// A list view's column headings in the panes' colours, from now on.
void CabeceraEnColores(HWND vista);

// ---- Tooltips ----

// Shows `texto` (lines apart by '\n') as the tooltip of `control`, of the part
// `parte` of it when `zona` (client coordinates) is given, of all of it
// otherwise; an empty text shows none, and one longer than a tooltip keeps
// (INFOTIPSIZE) ends at a line that fits, with a line "…" after. The tooltip window is made the
// first time, in the controls' letters when `fuente` is given.
void PonerAyuda(HWND control, const std::string &texto, UINT_PTR parte = 0,
                const RECT *zona = nullptr, HFONT fuente = nullptr);
// The tooltip text that `control` (or its part) shows now; empty when none.
[[nodiscard]] std::string AyudaDe(HWND control, UINT_PTR parte = 0);
// The tooltip window of `control`; null before the first PonerAyuda.
[[nodiscard]] HWND VentanaAyuda(HWND control);
// The pixels `texto` takes in `control`'s font.
[[nodiscard]] int AnchoTexto(HWND control, const std::string &texto);

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

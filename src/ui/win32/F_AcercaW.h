#pragma once

#include "platform/sistema/EstadoMemoria.h"
#include "platform/sistema/InfoSistema.h"

#include "ui/win32/Win32.h"

// Shows the about window modally, with no owner: every other window of the
// thread takes no input until it is closed, and the call returns only then. The
// window is loaded afresh each time, with the host's services.
void MostrarAcercaDe();
// The same, with the services given.
void MostrarAcercaDe(const Plataforma::ServicioInfoSistema &info,
                     const Plataforma::ServicioMemoria &memoria);

// The about window now loaded, or null; for tests, which drive it by messages.
[[nodiscard]] HWND AcercaCargada();
// Its controls, by name ("TxT_Info", "Lbl_Por1", "Cmd_Aceptar"...); null if none.
[[nodiscard]] HWND ControlAcerca(const char *nombre);

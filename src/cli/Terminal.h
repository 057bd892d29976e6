#pragma once

#include "platform/Proceso.h"

#include <string>
#include <string_view>

namespace Cli {

// Text made safe for a terminal: bytes below &20 other than the line end
// ("\n", "\r\n") and the tab, &7F, and the C1 controls &80..&9F (raw, or as
// UTF-8 U+0080..U+009F) are written visibly as "\x1B", so a disk's escape
// sequences are seen, never obeyed. Other UTF-8 and other bytes are kept.
std::string ParaTerminal(std::string_view texto);

// A JSON document made safe the same way and still the same document: DEL
// and the C1 controls, which JSON may hold as they are, are written as
// \u007f, \u0080..\u009f (the others are escaped already).
std::string JsonParaTerminal(std::string_view json);

// The one place where what a command prints is made safe for people: names
// from disks, zips and the host among it. On a terminal, `texto` as
// ParaTerminal (or, with `json`, JsonParaTerminal) makes it, in `copia`;
// elsewhere `texto` itself, exact. Whether the stream is a terminal is asked
// once.
std::string_view ParaFlujo(Plataforma::Flujo flujo, std::string_view texto, std::string &copia,
                           bool json = false);

} // namespace Cli

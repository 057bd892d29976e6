#pragma once

#include <string>
#include <string_view>

namespace Cli {

// Text made safe for a terminal: bytes below &20 other than the line end
// ("\n", "\r\n") and the tab, &7F, and the C1 controls &80..&9F (raw, or as
// UTF-8 U+0080..U+009F) are written visibly as "\x1B", so a disk's escape
// sequences are seen, never obeyed. Other UTF-8 and other bytes are kept.
std::string ParaTerminal(std::string_view texto);

} // namespace Cli

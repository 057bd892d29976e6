#include "ver/Z80.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <vector>

namespace Ver {
namespace {

// Operand names by the opcode's bit fields (x: bits 7-6, y: 5-3, z: 2-0,
// p: 5-4, q: 3), the usual way of reading the Z80's table.
constexpr std::array<const char *, 8> kReg{"B", "C", "D", "E", "H", "L", "(HL)", "A"};
constexpr std::array<const char *, 4> kPar{"BC", "DE", "HL", "SP"};
constexpr std::array<const char *, 4> kPar2{"BC", "DE", "HL", "AF"};
constexpr std::array<const char *, 8> kCond{"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
constexpr std::array<const char *, 8> kAlu{"ADD A,", "ADC A,", "SUB ", "SBC A,",
                                           "AND ",   "XOR ",   "OR ",  "CP "};
// SLL (CB 30..37) is undocumented: it shifts left and sets bit 0.
constexpr std::array<const char *, 8> kRot{"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL"};
constexpr std::array<const char *, 8> kModo{"0", "0/1", "1", "2", "0", "0/1", "1", "2"};
constexpr std::array<std::array<const char *, 4>, 4> kBloque{{{"LDI", "CPI", "INI", "OUTI"},
                                                              {"LDD", "CPD", "IND", "OUTD"},
                                                              {"LDIR", "CPIR", "INIR", "OTIR"},
                                                              {"LDDR", "CPDR", "INDR", "OTDR"}}};
constexpr std::array<const char *, 8> kVarios{"RLCA", "RRCA", "RLA", "RRA",
                                              "DAA",  "CPL",  "SCF", "CCF"};
constexpr std::array<const char *, 8> kEdLd{"LD I,A", "LD R,A", "LD A,I", "LD A,R",
                                            "RRD",    "RLD",    "",       ""};

std::string Hex2(unsigned v) {
  char t[8];
  std::snprintf(t, sizeof t, "&%02X", v & 0xFF);
  return t;
}

std::string Hex4(unsigned v) {
  char t[8];
  std::snprintf(t, sizeof t, "&%04X", v & 0xFFFF);
  return t;
}

// Decodes one instruction. `indice` is "IX" or "IY" after a DD or FD prefix:
// HL, H, L and (HL) then name the index register, its halves (undocumented)
// and (IX+d). When the opcode names none of them the prefix does nothing, and
// `usaIndice` stays false.
class Decodificador {
public:
  Decodificador(std::span<const std::uint8_t> b, std::uint16_t direccion)
      : b_(b), direccion_(direccion) {}

  Instruccion Decodificar() {
    if (b_.empty()) {
      return {};
    }
    const std::uint8_t op = b_[0];
    if (op == 0xDD || op == 0xFD) {
      return ConPrefijo(op == 0xDD ? "IX" : "IY");
    }
    i_ = 1;
    if (op == 0xCB) {
      return Cerrar(Cb());
    }
    if (op == 0xED) {
      return Cerrar(Ed());
    }
    return Cerrar(Basico(op));
  }

private:
  Instruccion ConPrefijo(const char *indice) {
    indice_ = indice;
    const std::uint8_t op = b_.size() > 1 ? b_[1] : 0x00;
    if (b_.size() < 2) {
      return {}; // cut after the prefix
    }
    i_ = 2;
    std::string texto;
    if (op == 0xCB) {
      texto = IndiceCb();
      usaIndice_ = true;
    } else if (op != 0xDD && op != 0xFD && op != 0xED) {
      texto = Basico(op);
    }
    if (!usaIndice_) {
      // A prefix before an opcode it does not change: the CPU only loses time.
      Instruccion solo;
      solo.largo = 1;
      solo.texto = "DEFB " + Hex2(b_[0]) + " ; prefijo sin efecto";
      return solo;
    }
    return Cerrar(texto);
  }

  Instruccion Cerrar(const std::string &texto) {
    Instruccion r = resultado_;
    if (corto_) {
      return {};
    }
    r.largo = i_;
    r.texto = texto;
    return r;
  }

  std::uint8_t Byte() {
    if (i_ >= b_.size()) {
      corto_ = true;
      return 0;
    }
    return b_[i_++];
  }

  std::uint16_t Palabra() {
    const std::uint8_t bajo = Byte();
    return static_cast<std::uint16_t>(bajo | (Byte() << 8));
  }

  std::string N() { return Hex2(Byte()); }
  std::string Nn() { return Hex4(Palabra()); }

  // (IX+d): the displacement byte comes right after the opcode, before any
  // immediate byte (LD (IX+d),n).
  std::string Desplazado(int d) {
    return std::string("(") + indice_ + (d < 0 ? "-" : "+") +
           Hex2(static_cast<unsigned>(std::abs(d))) + ")";
  }

  std::string Reg(int r, bool conHl = true) {
    if (indice_ == nullptr) {
      return kReg[r];
    }
    if (r == 6) {
      usaIndice_ = true;
      return Desplazado(static_cast<std::int8_t>(Byte()));
    }
    if (conHl && (r == 4 || r == 5)) {
      usaIndice_ = true;
      return std::string(indice_) + (r == 4 ? "H" : "L"); // undocumented halves
    }
    return kReg[r];
  }

  std::string Par(const std::array<const char *, 4> &tabla, int p) {
    if (p == 2 && indice_ != nullptr) {
      usaIndice_ = true;
      return indice_;
    }
    return tabla[p];
  }

  std::string Hl() { return Par(kPar, 2); }

  void Flujo_(Flujo f, std::optional<std::uint16_t> destino = std::nullopt) {
    resultado_.flujo = f;
    resultado_.destino = destino;
  }

  std::string Relativo(const std::string &que, Flujo f) {
    const auto d = static_cast<std::int8_t>(Byte());
    const auto destino = static_cast<std::uint16_t>(direccion_ + i_ + d);
    Flujo_(f, destino);
    return que + Hex4(destino);
  }

  std::string Absoluto(const std::string &que, Flujo f) {
    const std::uint16_t destino = Palabra();
    Flujo_(f, destino);
    return que + Hex4(destino);
  }

  std::string Basico(std::uint8_t op) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    switch (x) {
    case 0: return Bloque0(y, z, p, q);
    case 1:
      if (y == 6 && z == 6) {
        Flujo_(Flujo::Vuelve); // HALT waits for an interrupt the listing cannot follow
        return "HALT";
      }
      {
        // With (IX+d) on one side the other keeps H and L.
        const bool memoria = y == 6 || z == 6;
        const std::string destino = Reg(y, !memoria);
        return "LD " + destino + "," + Reg(z, !memoria);
      }
    case 2: return std::string(kAlu[y]) + Reg(z);
    default: return Bloque3(y, z, p, q);
    }
  }

  std::string Bloque0(int y, int z, int p, int q) {
    switch (z) {
    case 0:
      switch (y) {
      case 0: return "NOP";
      case 1: return "EX AF,AF'";
      case 2: return Relativo("DJNZ ", Flujo::SaltaSi);
      case 3: return Relativo("JR ", Flujo::Salta);
      default: return Relativo(std::string("JR ") + kCond[y - 4] + ",", Flujo::SaltaSi);
      }
    case 1:
      if (q == 0) {
        const std::string par = Par(kPar, p);
        return "LD " + par + "," + Nn();
      }
      {
        const std::string hl = Hl();
        return "ADD " + hl + "," + Par(kPar, p);
      }
    case 2: {
      static constexpr std::array<const char *, 2> kIndirecto{"(BC)", "(DE)"};
      if (p < 2) {
        return q == 0 ? std::string("LD ") + kIndirecto[p] + ",A"
                      : std::string("LD A,") + kIndirecto[p];
      }
      if (p == 2) {
        const std::string hl = Hl();
        const std::string nn = "(" + Nn() + ")";
        return q == 0 ? "LD " + nn + "," + hl : "LD " + hl + "," + nn;
      }
      const std::string nn = "(" + Nn() + ")";
      return q == 0 ? "LD " + nn + ",A" : "LD A," + nn;
    }
    case 3: return std::string(q == 0 ? "INC " : "DEC ") + Par(kPar, p);
    case 4: return "INC " + Reg(y);
    case 5: return "DEC " + Reg(y);
    case 6: {
      const std::string r = Reg(y); // (IX+d) takes its byte before n
      return "LD " + r + "," + N();
    }
    default: return kVarios[y];
    }
  }

  std::string Bloque3(int y, int z, int p, int q) {
    switch (z) {
    case 0: Flujo_(Flujo::VuelveSi); return std::string("RET ") + kCond[y];
    case 1:
      if (q == 0) {
        return "POP " + Par(kPar2, p);
      }
      switch (p) {
      case 0: Flujo_(Flujo::Vuelve); return "RET";
      case 1: return "EXX";
      case 2: Flujo_(Flujo::Vuelve); return "JP (" + Hl() + ")";
      default: return "LD SP," + Hl();
      }
    case 2: return Absoluto(std::string("JP ") + kCond[y] + ",", Flujo::SaltaSi);
    case 3:
      switch (y) {
      case 0: return Absoluto("JP ", Flujo::Salta);
      case 2: return "OUT (" + N() + "),A";
      case 3: return "IN A,(" + N() + ")";
      case 4: return "EX (SP)," + Hl();
      case 5: return "EX DE,HL"; // never changed by a prefix
      case 6: return "DI";
      case 7: return "EI";
      default: return "DEFB &CB"; // CB is read before Basico is called
      }
    case 4: return Absoluto(std::string("CALL ") + kCond[y] + ",", Flujo::Llama);
    case 5:
      if (q == 0) {
        return "PUSH " + Par(kPar2, p);
      }
      return Absoluto("CALL ", Flujo::Llama); // p 1..3 are prefixes, read before
    case 6: return std::string(kAlu[y]) + N();
    default: {
      const auto destino = static_cast<std::uint16_t>(y * 8);
      Flujo_(Flujo::Llama, destino);
      return "RST " + Hex2(destino);
    }
    }
  }

  std::string Cb() {
    const std::uint8_t op = Byte();
    return TextoCb(op, kReg[op & 7]);
  }

  static std::string TextoCb(std::uint8_t op, const std::string &r) {
    const int x = op >> 6, y = (op >> 3) & 7;
    switch (x) {
    case 0: return std::string(kRot[y]) + " " + r;
    case 1: return "BIT " + std::to_string(y) + "," + r;
    case 2: return "RES " + std::to_string(y) + "," + r;
    default: return "SET " + std::to_string(y) + "," + r;
    }
  }

  // DD CB d op: the displacement comes before the opcode. Opcodes that name a
  // register other than (HL) also copy the result into it (undocumented);
  // BIT ignores the register.
  std::string IndiceCb() {
    const int d = static_cast<std::int8_t>(Byte());
    const std::uint8_t op = Byte();
    const std::string memoria = Desplazado(d);
    const int z = op & 7;
    std::string texto = TextoCb(op, memoria);
    if ((op >> 6) != 1 && z != 6) {
      texto += std::string(",") + kReg[z];
    }
    return texto;
  }

  std::string Ed() {
    const std::uint8_t op = Byte();
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    if (x == 2 && z <= 3 && y >= 4) {
      return kBloque[y - 4][z];
    }
    if (x != 1) {
      return "DEFB &ED," + Hex2(op) + " ; sin efecto";
    }
    switch (z) {
    case 0: return y == 6 ? "IN F,(C)" : std::string("IN ") + kReg[y] + ",(C)";
    case 1: return y == 6 ? "OUT (C),0" : std::string("OUT (C),") + kReg[y];
    case 2: return std::string(q == 0 ? "SBC HL," : "ADC HL,") + kPar[p];
    case 3: {
      const std::string nn = "(" + Nn() + ")";
      return q == 0 ? "LD " + nn + "," + kPar[p] : std::string("LD ") + kPar[p] + "," + nn;
    }
    case 4: return "NEG"; // ED 44, and its seven undocumented copies
    case 5: Flujo_(Flujo::Vuelve); return y == 1 ? "RETI" : "RETN";
    case 6: return std::string("IM ") + kModo[y];
    default:
      return *kEdLd[y] != '\0' ? kEdLd[y]
                               : "DEFB &ED," + Hex2(0x40 | (y << 3) | z) + " ; sin efecto";
    }
  }

  std::span<const std::uint8_t> b_;
  std::uint16_t direccion_;
  std::size_t i_ = 0;
  const char *indice_ = nullptr;
  bool usaIndice_ = false;
  bool corto_ = false;
  Instruccion resultado_;
};

} // namespace

Instruccion DecodificarZ80(std::span<const std::uint8_t> bytes, std::uint16_t direccion) {
  return Decodificador(bytes, direccion).Decodificar();
}

namespace {

constexpr std::size_t kMemoria = 0x10000;
constexpr std::size_t kDatosPorLinea = 8;

enum class Marca : std::uint8_t { Nada, Inicio, Resto };

// What the flow from the entry reaches: where instructions start, and the
// targets to label.
struct Recorrido {
  std::vector<Marca> marcas;
  std::set<std::uint16_t> etiquetas;
};

Recorrido Recorrer(std::span<const std::uint8_t> c, std::uint16_t origen, std::size_t inicio) {
  Recorrido r;
  r.marcas.assign(c.size(), Marca::Nada);
  std::vector<std::size_t> pendientes{inicio};
  const auto dentro = [&](std::uint16_t d) -> std::optional<std::size_t> {
    const std::size_t pos = static_cast<std::uint16_t>(d - origen);
    return pos < c.size() ? std::optional(pos) : std::nullopt;
  };
  // Each byte is marked at most once, so the walk ends within the file's size.
  while (!pendientes.empty()) {
    std::size_t pos = pendientes.back();
    pendientes.pop_back();
    while (pos < c.size() && r.marcas[pos] == Marca::Nada) {
      const auto direccion = static_cast<std::uint16_t>(origen + pos);
      const Instruccion ins = DecodificarZ80(c.subspan(pos), direccion);
      if (ins.largo == 0 ||
          std::any_of(r.marcas.begin() + static_cast<std::ptrdiff_t>(pos),
                      r.marcas.begin() + static_cast<std::ptrdiff_t>(pos + ins.largo),
                      [](Marca m) { return m != Marca::Nada; })) {
        break; // cut short, or running into another instruction's bytes
      }
      r.marcas[pos] = Marca::Inicio;
      std::fill_n(r.marcas.begin() + static_cast<std::ptrdiff_t>(pos + 1), ins.largo - 1,
                  Marca::Resto);
      if (ins.destino && ins.flujo != Flujo::Vuelve) {
        if (const auto d = dentro(*ins.destino)) {
          r.etiquetas.insert(*ins.destino);
          pendientes.push_back(*d);
        }
      }
      if (ins.flujo == Flujo::Salta || ins.flujo == Flujo::Vuelve) {
        break;
      }
      pos += ins.largo;
    }
  }
  return r;
}

std::string Etiqueta(std::uint16_t d) {
  char t[8];
  std::snprintf(t, sizeof t, "L%04X", d);
  return t;
}

std::string Columna(std::string s, std::size_t ancho) {
  s.resize(std::max(s.size() + 1, ancho), ' ');
  return s;
}

std::string LineaBytes(std::uint16_t direccion, std::span<const std::uint8_t> bytes) {
  char t[8];
  std::snprintf(t, sizeof t, "%04X  ", direccion);
  std::string s = t;
  std::string hex;
  for (const std::uint8_t b : bytes.first(std::min<std::size_t>(bytes.size(), 4))) {
    char h[4];
    std::snprintf(h, sizeof h, "%02X ", b);
    hex += h;
  }
  return s + Columna(hex, 14);
}

std::string LineaInstruccion(std::span<const std::uint8_t> c, std::size_t pos, std::uint16_t origen,
                             const Instruccion &ins, const std::set<std::uint16_t> &etiquetas) {
  const auto direccion = static_cast<std::uint16_t>(origen + pos);
  std::string texto = ins.texto;
  std::string comentario;
  if (ins.destino) {
    const std::string hex = Hex4(*ins.destino);
    const auto donde = texto.rfind(hex);
    if (etiquetas.count(*ins.destino) != 0 && donde != std::string::npos) {
      texto.replace(donde, hex.size(), Etiqueta(*ins.destino));
    } else if (ins.flujo == Flujo::Llama || ins.flujo == Flujo::Salta ||
               ins.flujo == Flujo::SaltaSi) {
      comentario = std::string(NombreFirmware(*ins.destino));
    }
  }
  std::string s = LineaBytes(direccion, c.subspan(pos, ins.largo)) + texto;
  if (!comentario.empty()) {
    s = Columna(s, 40) + "; " + comentario;
  }
  return s + "\n";
}

std::string LineaDatos(std::span<const std::uint8_t> bytes, std::uint16_t direccion) {
  std::string lista;
  std::string ascii;
  for (const std::uint8_t b : bytes) {
    lista += (lista.empty() ? "" : ",") + Hex2(b);
    ascii += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
  }
  return Columna(LineaBytes(direccion, bytes) + "DEFB " + lista, 40) + "; " + ascii + "\n";
}

} // namespace

Listado DesensamblarZ80(std::span<const std::uint8_t> codigo, std::uint16_t origen,
                        std::optional<std::uint16_t> entrada) {
  Listado r;
  // The Z80 sees 64 KB: what would lie past &FFFF is not listed.
  const std::size_t cabe = kMemoria - origen;
  if (codigo.size() > cabe) {
    r.parcial = true;
    r.nota =
        "el archivo pasa de &FFFF; se muestran sus " + std::to_string(cabe) + " primeros bytes";
    codigo = codigo.first(cabe);
  }
  std::size_t inicio = 0;
  if (entrada) {
    const std::size_t pos = static_cast<std::uint16_t>(*entrada - origen);
    if (pos < codigo.size()) {
      inicio = pos;
    } else if (!codigo.empty() && r.nota.empty()) {
      r.nota = "la dirección de ejecución " + Hex4(*entrada) +
               " cae fuera del archivo; el código se sigue desde " + Hex4(origen);
    }
  }
  const Recorrido rec = Recorrer(codigo, origen, inicio);
  std::size_t pos = 0;
  while (pos < codigo.size()) {
    const auto direccion = static_cast<std::uint16_t>(origen + pos);
    if (rec.etiquetas.count(direccion) != 0) {
      r.texto += Etiqueta(direccion) + ":\n";
    }
    if (rec.marcas[pos] == Marca::Inicio) {
      const Instruccion ins = DecodificarZ80(codigo.subspan(pos), direccion);
      r.texto += LineaInstruccion(codigo, pos, origen, ins, rec.etiquetas);
      pos += ins.largo;
      continue;
    }
    // Data up to the next instruction or label, a few bytes a line.
    std::size_t fin = pos + 1;
    while (fin < codigo.size() && fin - pos < kDatosPorLinea && rec.marcas[fin] == Marca::Nada &&
           rec.etiquetas.count(static_cast<std::uint16_t>(origen + fin)) == 0) {
      ++fin;
    }
    r.texto += LineaDatos(codigo.subspan(pos, fin - pos), direccion);
    pos = fin;
  }
  return r;
}

} // namespace Ver

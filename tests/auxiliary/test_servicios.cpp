#include "platform/Errores.h"
#include "platform/sistema/EstadoMemoria.h"
#include "platform/sistema/InfoSistema.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>

namespace {

TEST(LeerOsRelease, UndoesQuotingAndSkipsWhatIsNotAnAssignment) {
  const std::string texto = "# comentario\n"
                            "NAME=\"Debian GNU/Linux\"\n"
                            "\n"
                            "ID=debian\n"
                            "VERSION='12 (bookworm)'\n"
                            "PRETTY_NAME=\"Say \\\"hi\\\" \\\\ now\"\n"
                            "  VERSION_ID=\"12\"  \r\n"
                            "BROKEN=\"never closed\n"
                            "SPACED=two words\n"
                            "=sin clave\n"
                            "mal-clave=x\n"
                            "sin igual\n"
                            "VACIO=\n"
                            "ID=ultimo";
  const std::map<std::string, std::string> esperado{
      {"NAME", "Debian GNU/Linux"},         {"ID", "ultimo"},     {"VERSION", "12 (bookworm)"},
      {"PRETTY_NAME", "Say \"hi\" \\ now"}, {"VERSION_ID", "12"}, {"VACIO", ""},
  };
  EXPECT_EQ(Plataforma::LeerOsRelease(texto), esperado);
}

TEST(NumeroSerieAlcove, IsASaltedDigestInFiveGroups) {
  const std::string id = "0123456789abcdef0123456789abcdef";
  const std::string serie = Plataforma::NumeroSerieAlcove(id);
  ASSERT_EQ(serie.size(), 24U);
  for (std::size_t i = 0; i < serie.size(); ++i) {
    if (i % 5 == 4) {
      EXPECT_EQ(serie[i], '-') << i;
    } else {
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(serie[i])) &&
                  !std::islower(static_cast<unsigned char>(serie[i])))
          << serie;
    }
  }
  EXPECT_EQ(Plataforma::NumeroSerieAlcove(id), serie); // stable
  EXPECT_NE(Plataforma::NumeroSerieAlcove("0123456789abcdef0123456789abcdee"), serie);
  // Salted: not the plain digest of the id.
  const QByteArray sinSal =
      QCryptographicHash::hash(QByteArray::fromStdString(id), QCryptographicHash::Sha256).toHex();
  EXPECT_FALSE(sinSal.toUpper().startsWith(QByteArray::fromStdString(serie.substr(0, 4))));
  EXPECT_EQ(Plataforma::NumeroSerieAlcove(""), "");
}

TEST(InfoSistemaHost, DescribesOneSystemWithoutShowingTheMachineId) {
  const auto servicio = Plataforma::CrearInfoSistemaHost();
  const auto sistemas = servicio->SistemasOperativos();
  ASSERT_EQ(sistemas.size(), 1U);
  const auto &so = sistemas.front();
  ASSERT_TRUE(so.Propiedad("Caption").has_value());
  EXPECT_FALSE(so.Propiedad("Caption")->empty());
  EXPECT_TRUE(so.Propiedad("Version").has_value());

  const QByteArray id = QSysInfo::machineUniqueId();
  const auto serie = so.Propiedad("SerialNumber");
  if (id.isEmpty()) {
    EXPECT_FALSE(serie.has_value());
  } else {
    ASSERT_TRUE(serie.has_value());
    EXPECT_EQ(*serie, Plataforma::NumeroSerieAlcove(id.toStdString()));
    EXPECT_EQ(serie->find(id.toStdString()), std::string::npos);
  }
}

TEST(LeerCampoKb, ReadsKilobyteFieldsAsBytes) {
  const std::string meminfo = "MemTotal:       65843212 kB\n"
                              "MemFree:         1000000 kB\n"
                              "MemAvailable:   40000000 kB\n"
                              "HugePages_Total:       0\n"
                              "VmSize:\t  123456 kB\n";
  struct Caso {
    const char *clave;
    std::int64_t bytes;
  };
  const Caso casos[] = {
      {"MemTotal", std::int64_t{65843212} * 1024}, // past 32 bits
      {"MemFree", std::int64_t{1000000} * 1024},
      {"MemAvailable", std::int64_t{40000000} * 1024},
      {"VmSize", std::int64_t{123456} * 1024},
  };
  for (const auto &caso : casos) {
    EXPECT_EQ(Plataforma::LeerCampoKb(meminfo, caso.clave), caso.bytes) << caso.clave;
  }
  // A key must match whole, and a field must be a size in kB.
  for (const char *clave : {"Mem", "MemTotal:", "Swap", "HugePages_Total"}) {
    EXPECT_THROW((void)Plataforma::LeerCampoKb(meminfo, clave), ErrorAlcove) << clave;
  }
  EXPECT_THROW((void)Plataforma::LeerCampoKb("MemTotal: 99999999999999999999 kB\n", "MemTotal"),
               ErrorAlcove);
}

TEST(MemoriaHost, GivesConsistentFiguresForThisProcess) {
  const auto servicio = Plataforma::CrearMemoriaHost();
  const Plataforma::EstadoMemoria estado = servicio->Consultar();
  EXPECT_GT(estado.TotalFisica, 0);
  EXPECT_GE(estado.DisponibleFisica, 0);
  EXPECT_LE(estado.DisponibleFisica, estado.TotalFisica);
  EXPECT_GT(estado.TotalVirtual, 0);
  EXPECT_GE(estado.DisponibleVirtual, 0);
  // This process has something mapped, so not all of its address space is free.
  EXPECT_LT(estado.DisponibleVirtual, estado.TotalVirtual);
}

} // namespace

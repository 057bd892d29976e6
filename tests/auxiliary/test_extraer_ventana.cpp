// The copy leaves out the positions the progress window says change nothing;
// what the window shows must be exactly what it shows when told of every one.
#include "Comun.h"

#include "disk/Cls_Disco.h"
#include "platform/Progreso.h"
#include "ui/qt/ProgresoQt.h"

#include <QProgressBar>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Rango {
  double de;
  double a;
};

TEST(SinCambiosHasta, LasPosicionesSaltadasNoMuevenLaBarra) {
  for (const Rango r : {Rango{100, 1100}, Rango{1, 1}, Rango{0, 999}, Rango{7, 20},
                        Rango{3, 250000}, Rango{0, 8388607}, Rango{-5, 40}, Rango{2.5, 30}}) {
    F_Progress ventana(CargarVentanaProgresoQt);
    ventana.SetDe(r.de);
    ventana.SetA(r.a);
    for (double p = r.de; p <= r.a;) {
      ventana.SetValor(p);
      const std::uint8_t barra = Progreso::ValorBarra(p, r.de, r.a);
      const double hasta = std::min(ventana.SinCambiosHasta(), r.a + 1);
      for (double q = p + 1; q < hasta; q += std::max(1.0, std::floor((hasta - q) / 97))) {
        ASSERT_EQ(Progreso::ValorBarra(q, r.de, r.a), barra)
            << "de " << r.de << " a " << r.a << ": " << q << " saltada desde " << p;
      }
      p = std::max(p + 1, std::ceil(hasta));
    }
    ventana.Ocultar();
  }
}

TEST(SinCambiosHasta, SinVentanaCargadaNoPrometeNada) {
  F_Progress ventana(CargarVentanaProgresoQt);
  ventana.SetDe(0);
  ventana.SetA(100);
  EXPECT_EQ(ventana.SinCambiosHasta(), -INFINITY);
  ventana.SetValor(0);
  EXPECT_GT(ventana.SinCambiosHasta(), 0);
  ventana.SetA(200); // a new range forgets what it knew
  EXPECT_EQ(ventana.SinCambiosHasta(), -INFINITY);
}

TEST(ExtraerConVentana, LaBarraQuedaComoSiOyeraCadaPosicion) {
  CarpetaTemporal dir;
  Escribir(dir.Archivo("img.dsk"), std::vector<std::uint8_t>(300000, 0x5A));
  Cls_Disco disco;
  disco.Cargar(dir.Archivo("img.dsk"));

  F_Progress &compartida = F_Progress::Instancia();
  compartida.FijarCargador(CargarVentanaProgresoQt);
  Plataforma::InstalarProgreso(&compartida);
  for (const Rango r : {Rango{1, 299999}, Rango{100, 1100}, Rango{0, 77}, Rango{5000, 5000}}) {
    // What the window shows when it hears of every position.
    F_Progress referencia(CargarVentanaProgresoQt);
    referencia.SetDe(r.de);
    referencia.SetA(r.a);
    for (double p = r.de; p <= r.a; ++p) {
      referencia.SetValor(p);
    }
    const auto *barraReferencia = WidgetDe(referencia)->findChild<QProgressBar *>("PBar");

    // Extraer unloads the window at the end; watch its last state on the way out.
    struct Observador final : IndicadorProgreso {
      F_Progress &real;
      int barra = -1;
      std::uint64_t escrituras = 0;
      double valor = -1;
      explicit Observador(F_Progress &v) : real(v) {}
      void SetDe(double v) override { real.SetDe(v); }
      void SetA(double v) override { real.SetA(v); }
      void SetTitulo(const std::string &t) override { real.SetTitulo(t); }
      void Mostrar() override { real.Mostrar(); }
      void SetValor(double v) override { real.SetValor(v); }
      [[nodiscard]] double SinCambiosHasta() const override { return real.SinCambiosHasta(); }
      void Ocultar() override {
        barra = WidgetDe(real)->findChild<QProgressBar *>("PBar")->value();
        escrituras = real.EscriturasBarra();
        valor = real.Valor();
        real.Ocultar();
      }
    } observador(compartida);
    Plataforma::InstalarProgreso(&observador);
    double i = r.de, o = r.a;
    disco.Extraer(dir.Archivo("salida.bin"), i, o);
    EXPECT_EQ(observador.barra, barraReferencia->value()) << r.de << ".." << r.a;
    EXPECT_EQ(observador.escrituras, referencia.EscriturasBarra()) << r.de << ".." << r.a;
    EXPECT_EQ(observador.valor, r.a);
    EXPECT_EQ(std::filesystem::file_size(dir.Ruta() / "salida.bin"), r.a - r.de + 1);
    referencia.Ocultar();
  }
  Plataforma::InstalarProgreso(nullptr);
}

} // namespace

#include "ui/widgets/Estilo.h"

#include <QPalette>
#include <QWidget>

namespace Estilo {

QFont Courier(double puntos, bool negrita) {
  static const bool sustituto = [] {
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    return true;
  }();
  (void)sustituto;
  QFont fuente(QStringLiteral("Courier New"));
  fuente.setStyleHint(QFont::TypeWriter);
  fuente.setPointSizeF(puntos);
  fuente.setBold(negrita);
  return fuente;
}

void AmarilloSobreAzul(QWidget *control) {
  QPalette paleta = control->palette();
  for (const auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const auto rol :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button}) {
      paleta.setColor(grupo, rol, AzulOscuro());
    }
    for (const auto rol : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      paleta.setColor(grupo, rol, Amarillo());
    }
    paleta.setColor(grupo, QPalette::Highlight, Amarillo());
    paleta.setColor(grupo, QPalette::HighlightedText, AzulOscuro());
  }
  control->setPalette(paleta);
  control->setAutoFillBackground(true);
}

} // namespace Estilo

#pragma once

#include <QGroupBox>

// A frame: a flat background in the palette's window colour, an etched border
// and its caption at the top left, cutting the border. Unlike the styled group
// box it tints nothing, so the background is exactly the colour asked for.
class Marco : public QGroupBox {
  Q_OBJECT

public:
  explicit Marco(const QString &titulo, QWidget *padre = nullptr);

protected:
  void paintEvent(QPaintEvent *evento) override;
};

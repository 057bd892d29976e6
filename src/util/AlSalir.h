#pragma once

#include <utility>

// Runs a clean-up step when the scope ends, however it ends. The step must not
// throw: a failing clean-up has no one left to tell.
template <typename Paso> class AlSalir {
public:
  explicit AlSalir(Paso paso) : paso_(std::move(paso)) {}
  ~AlSalir() {
    if (activo_) {
      paso_();
    }
  }
  AlSalir(const AlSalir &) = delete;
  AlSalir &operator=(const AlSalir &) = delete;

  // The step is no longer needed (the scope did it itself).
  void Cancelar() noexcept { activo_ = false; }

private:
  Paso paso_;
  bool activo_ = true;
};

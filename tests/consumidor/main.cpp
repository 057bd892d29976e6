#include "disk/Cls_Disco.h"
#include "disk/Types_Def.h"
#include "util/Cls_Util.h"

#include <cstdio>

// Loads the image named on the command line; succeeds when it has a layout.
int main(int argc, char **argv) {
  if (argc != 2 || Cls_Util().InfoFichero(argv[1]).Existe != Verdadero) {
    return 2;
  }
  Cls_Disco disco;
  disco.Cargar(argv[1]);
  std::printf("%s %d\n", disco.NombreCFichero().c_str(), disco.Cabecera().Formato);
  return disco.Cabecera().Formato == FormatoImagen::Ninguno ? 1 : 0;
}

// The least a C++ program that lists a disk must do, linked as alcove-cli is
// (the C++ library inside): start, read the image whole, print one line
// through the standard streams. What alcove-cli's start costs beyond C's is
// measured against it.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fputs("uso: minimo_cpp IMAGEN\n", stderr);
    return 2;
  }
  std::ifstream archivo(argv[1], std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(archivo)),
                                std::istreambuf_iterator<char>());
  std::cout << bytes.size() << " bytes\n";
  return bytes.empty() ? 1 : 0;
}

// pellory-cli: the headless front end. Placeholder until the option parser lands.
#include <cstdio>
#include <cstring>

#include "shell/version_text.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s\n", pellory::MainWindowTitle().c_str());
    return 0;
  }
  std::fprintf(stderr, "Aufruf: pellory-cli [OPTIONEN] BEFEHL [DATEI]\n");
  return 64;
}

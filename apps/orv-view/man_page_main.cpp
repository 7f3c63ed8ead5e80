// Writes orv-view's manual page to the file named by its one argument (the
// build makes share/man/man1/orv-view.1 with it).
#include "man_page.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: orv_view_man_page OUTPUT.1\n", stderr);
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << orvview::ManPage(ORV_VERSION);
  return out.good() ? 0 : 1;
}

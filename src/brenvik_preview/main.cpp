// brenvik_preview: turns the raw frames that brenvik_capture saved into PNG pictures.
#include <cstdio>
#include <cstring>

#include "preview/preview.h"

int main(int argc, char** argv) {
  bool swapSides = false;
  const char* dir = ".";
  int folders = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--swap") == 0) {
      swapSides = true;
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      folders = 2;  // an unknown option: show the usage
      break;
    } else {
      dir = argv[i];
      ++folders;
    }
  }
  if (folders > 1) {
    fputs(
        "usage: brenvik_preview [--swap] [DIR]\n"
        "Writes official_ir_NN.png beside each frame that DIR/official_meta.txt lists (DIR: the\n"
        "current directory). A is the width and B the height; --swap takes them the other way round.\n",
        stderr);
    return 2;
  }
  return previewFrames(dir, swapSides, stdout, stderr);
}

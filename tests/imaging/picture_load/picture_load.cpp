// picture_load [--library] FILE
// Loads FILE with the still-picture loader and prints the outcome on one
// line: "loaded W H", "too-large MESSAGE", "failed MESSAGE", "not-found",
// "cancelled" or "busy". With --library, a line before and a line after it
// say whether GraphicsMagick is in the process then ("library: yes" or
// "library: no"). Exits 0 after printing; anything else (a crash, an
// allocation that failed) shows in the exit status. Tests run it under a
// memory limit.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "imaging/picture/PictureLoader.h"

namespace {

void SayWhetherLibraryIsMapped() {
  std::ifstream maps("/proc/self/maps");
  bool mapped = false;
  for (std::string line; !mapped && std::getline(maps, line);)
    mapped = line.find("libGraphicsMagick") != std::string::npos;
  std::printf("library: %s\n", mapped ? "yes" : "no");
}

}  // namespace

int main(int argc, char** argv) {
  const bool library = argc == 3 && std::strcmp(argv[1], "--library") == 0;
  if (argc != 2 && !library) {
    std::fprintf(stderr, "usage: picture_load [--library] FILE\n");
    return 2;
  }
  if (library)
    SayWhetherLibraryIsMapped();
  const vls::LoadedPicture loaded = vls::LoadPicture(QString::fromLocal8Bit(argv[argc - 1]));
  const QByteArray message = loaded.decoder_message.toUtf8();
  switch (loaded.outcome) {
    case vls::LoadOutcome::Loaded:
      std::printf("loaded %d %d\n", loaded.width, loaded.height);
      break;
    case vls::LoadOutcome::TooLarge:
      std::printf("too-large %s\n", message.constData());
      break;
    case vls::LoadOutcome::Failed:
      std::printf("failed %s\n", message.constData());
      break;
    case vls::LoadOutcome::NotFound:
      std::printf("not-found\n");
      break;
    case vls::LoadOutcome::Cancelled:
      std::printf("cancelled\n");
      break;
    case vls::LoadOutcome::Busy:
      std::printf("busy\n");
      break;
  }
  if (library)
    SayWhetherLibraryIsMapped();
  return 0;
}

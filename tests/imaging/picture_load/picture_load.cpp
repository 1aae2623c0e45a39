// picture_load FILE
// Loads FILE with the still-picture loader and prints the outcome on one
// line: "loaded W H", "too-large MESSAGE", "failed MESSAGE", "not-found",
// "cancelled" or "busy". Exits 0 after printing; anything else (a crash, an
// allocation that failed) shows in the exit status. Tests run it under a
// memory limit.

#include <cstdio>

#include "imaging/picture/PictureLoader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picture_load FILE\n");
    return 2;
  }
  const vls::LoadedPicture loaded = vls::LoadPicture(QString::fromLocal8Bit(argv[1]));
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
  return 0;
}

// The decoders the loader and the thumbnail maker share: Qt's image reader
// here, and GraphicsMagick through the picture module.

#include "imaging/picture/PictureDecode.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <utility>

#include "imaging/picture/MagickModule.h"
#include "imaging/picture/PictureSizeLimit.h"

namespace vls::picture {

void DecodeWithMagick(const PictureSource& source, PictureKind kind, const DecodeSettings& settings,
                      LoadedPicture& result) {
  const MagickEntryPoints* module = MagickModule();
  if (module == nullptr) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = MagickModuleError();
    return;
  }
  DecodeSettings with_hook = settings;
  with_hook.progress = settings.report_progress && IsLibraryKind(kind) ? &ProgressHook : nullptr;
  module->decode(source, kind, with_hook, result);
}

QString NotFromMemoryReason() {
  if (MagickModule() == nullptr)
    return MagickModuleError();
  return QStringLiteral("This kind of picture cannot be decoded without a temporary file");
}

void DecodeWithQt(const PictureSource& source, PictureKind kind, LoadedPicture& result) {
  // Read in place: the bytes are the caller's and are not copied.
  QBuffer buffer;
  QImageReader reader;
  if (source.in_memory) {
    buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(source.bytes.data()),
                                           static_cast<qsizetype>(source.bytes.size())));
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
    // As for a file: the extension is tried first, then the contents.
    reader.setFormat(QFileInfo(source.path).suffix().toLower().toLatin1());
  } else {
    reader.setFileName(source.path);
  }
  if (kind == PictureKind::Ico) {
    reader.setFormat("ico");
    reader.setDecideFormatFromContent(false);
  }
  if (const QSize declared = reader.size(); TooManyPixels(declared)) {
    result.outcome = LoadOutcome::TooLarge;
    result.decoder_message = TooLargeMessage(declared);
    return;
  }
  QImage picture = reader.read();
  if (picture.isNull()) {
    result.outcome = LoadOutcome::Failed;
    result.decoder_message = reader.errorString();
    return;
  }
  result.outcome = LoadOutcome::Loaded;
  result.image = std::move(picture);
}

}  // namespace vls::picture

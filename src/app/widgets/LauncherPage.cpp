#include "app/widgets/LauncherPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/WorkList.h"
#include "app/widgets/ControlHints.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/PageHost.h"
#include "app/widgets/PageParts.h"
#include "app/widgets/StatusControls.h"
#include "platform/desktop/Associations.h"
#include "viewing/widgets/KeyIndicators.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace vls {
namespace {

// Opens files with the program the desktop associates with their type.
class DesktopFileOpener : public FileOpener {
 public:
  std::string ProgramFor(const std::string& file) override {
    program_ = AssociatedProgram::For(file);
    return program_.Found() ? program_.DisplayName() : std::string();
  }
  std::string Open(const std::string& file) override { return program_.Launch(file); }

 private:
  AssociatedProgram program_;
};

}  // namespace

LauncherPage::LauncherPage(PageHost& host, Feedback& feedback, VolumeFacts& volumes,
                           KeyLifetime& keys, FlowLock& lock, QWidget* parent)
    : QWidget(parent),
      host_(host),
      key_off_(MakeKeyOffButton("ButKeyOff2", nullptr)),
      key_gauge_(new TKeyGauge("GaugeKey2")),
      opener_(std::make_unique<DesktopFileOpener>()),
      flow_(*this, feedback, volumes, keys, *opener_, lock) {
  auto* layout = new QVBoxLayout(this);
  auto* middle = new QHBoxLayout;
  auto* panel = new QGroupBox("Secure Launcher");
  panel->setObjectName("LauncherPanel");
  auto* panelLayout = new QVBoxLayout(panel);
  auto* explanation = new QLabel(
      "The file is restored beside the encrypted one and opened with the program "
      "associated with its type. Encrypt it again when you are done.");
  explanation->setWordWrap(true);
  panelLayout->addWidget(explanation);
  panelLayout->addStretch(1);
  middle->addWidget(panel, 1);
  auto* column = new QVBoxLayout;
  auto* help = PageButton("&Help", "Launch_butthelp");
  column->addWidget(help);
  column->addStretch(1);
  column->addWidget(key_off_, 0, Qt::AlignHCenter);
  column->addWidget(key_gauge_, 0, Qt::AlignHCenter);
  middle->addLayout(column);
  layout->addLayout(middle, 1);
  auto* hint = new BlinkLabel("Click on an encrypted file to launch it. (.VLP or .VLD)");
  hint->setObjectName("DRLabel1");
  layout->addWidget(hint);

  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(window(), 1090); });
  connect(key_off_, &QToolButton::clicked, this, [&keys] { keys.ButKeyOffClick(); });
  DescribeControls(*this);
}

LauncherPage::~LauncherPage() = default;

void LauncherPage::Activate() {
  host_.SetKeyTimerEnabled(true);
  host_.SetFilterText("EnCrypted Files(*.VLD;*.VLP)|*.VLD;*.VLP");
  host_.SetFileListMask("*.VLD;*.VLP");
}

void LauncherPage::Reset() {
  SetKeyIndicatorsVisible(false);
}

void LauncherPage::Launch(const QString& path) {
  flow_.Launch(PathBytes(path));
}

void LauncherPage::LaunchDropped(const QStringList& paths) {
  for (const QString& path : ContainersAmong(paths, "VLD"))
    Launch(path);
}

void LauncherPage::OpenNamed(const QString& path) {
  host_.SetFilterText("EnCrypted Data(*.VLD)|*.VLD");
  Launch(path);
}

void LauncherPage::SetKeyIndicatorsVisible(bool visible) {
  key_off_->setVisible(visible);
  key_gauge_->setVisible(visible);
}

void LauncherPage::SetKeyGauge(int progress) {
  key_gauge_->setValue(progress);
}

void LauncherPage::RequestDecryptionKey() {
  vls::RequestDecryptionKey(window());
}

void LauncherPage::SetLaunchBusy(bool busy) {
  host_.SetBusy(busy);
  host_.SetFileListEnabled(!busy);
}

void LauncherPage::ClearViewerPicture() {
  host_.ClearViewerPicture();
}

void LauncherPage::StopKeyTimer() {
  host_.SetKeyTimerEnabled(false);
}

void LauncherPage::SetStatusLine(const std::string& text) {
  host_.SetStatusLine(QString::fromStdString(text));
}

void LauncherPage::RereadFolder() {
  host_.RereadFileList();
}

}  // namespace vls

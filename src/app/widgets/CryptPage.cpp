#include "app/widgets/CryptPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/FileIterator.h"
#include "app/FilterList.h"
#include "app/widgets/ControlHints.h"
#include "app/widgets/FullScreenShow.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/PageHost.h"
#include "app/widgets/PageParts.h"
#include "app/widgets/PreviewBox.h"
#include "app/widgets/WorkListView.h"
#include "app/widgets/WorkListWindow.h"
#include "platform/AtExit.h"
#include "platform/Interruption.h"
#include "protect/Batch.h"
#include "protect/PathNames.h"
#include "protect/widgets/Ask.h"
#include "viewing/SlideShowFlow.h"
#include "viewing/widgets/FullSlide.h"

namespace vls {
CryptPage::CryptPage(PageHost& host, Feedback& feedback, VolumeFacts& volumes, ViewerFlow& viewer,
                     FullScreenShow& full_screen, QWidget* parent)
    : QWidget(parent),
      host_(host),
      feedback_(feedback),
      viewer_(viewer),
      full_screen_(full_screen),
      encrypt_(new QRadioButton("&Encrypt")),
      decrypt_(new QRadioButton("&Decrypt")),
      wipe_(new QRadioButton("&Wipe")),
      slide_(new QRadioButton("&Slide Show")),
      list_(new WorkListView),
      rows_(&list_->Rows()),
      clear_(PageButton("&Clear", "Btn_Clear", "Clear List")),
      remove_(PageButton("&Remove", "Btn_Remove", "Remove a File from the list")),
      ok_(PageButton("OK", "ButtOk")),
      preview_check_(new QCheckBox("View &Pictures")) {
  auto* layout = new QVBoxLayout(this);
  auto* modes = new QHBoxLayout;
  encrypt_->setObjectName("RadioEncrypt");
  decrypt_->setObjectName("RadioDecrypt");
  wipe_->setObjectName("RadioWipe");
  slide_->setObjectName("RadioSlide");
  encrypt_->setChecked(true);
  for (QRadioButton* radio : {encrypt_, decrypt_, wipe_, slide_})
    modes->addWidget(radio);
  modes->addStretch(1);
  layout->addLayout(modes);

  auto* middle = new QHBoxLayout;
  rows_->StatusLine = [this](const QString& line) { host_.SetStatusLine(line, true); };
  middle->addWidget(list_, 1);
  auto* column = new QVBoxLayout;
  auto* help = PageButton("&Help", "ButtHelp");
  auto* add = PageButton("&Add", "Add", "Add a file to the list");
  auto* add_all = PageButton("Add A&ll", "AddALL", "Add ALL files to the list");
  DisableListButtons();
  for (QPushButton* button : {help, clear_, add, add_all, remove_})
    column->addWidget(button);
  column->addStretch(1);
  middle->addLayout(column);
  layout->addLayout(middle, 1);

  auto* bottom = new QHBoxLayout;
  preview_check_->setObjectName("PreviewCheck");
  bottom->addWidget(preview_check_);
  bottom->addStretch(1);
  bottom->addWidget(ok_);
  layout->addLayout(bottom);

  // Last, so it lies over the list.
  preview_box_ = new PreviewBox(host_, *this);

  runs_ = std::make_unique<WorkListWindow>(*this, host_, *rows_, full_screen_,
                                           [this] { DisableListButtons(); });
  batch_ = std::make_unique<BatchDrivers>(*runs_, feedback_, volumes);

  for (QRadioButton* radio : {encrypt_, decrypt_, wipe_, slide_}) {
    // Only a real change of mode counts: a click on the mode that is already
    // checked keeps the gathered list.
    connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked)
        emit ModeChanged();
    });
  }
  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(window(), 1000); });
  connect(add, &QPushButton::clicked, this, [this] { AddSelected(); });
  connect(add_all, &QPushButton::clicked, this, [this] { AddAll(); });
  connect(remove_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
  // Delete in the list does what "&Remove" does, where "&Remove" could.
  connect(list_, &WorkListView::RemoveRequested, this, [this] {
    if (remove_->isEnabled())
      RemoveSelected();
  });
  connect(clear_, &QPushButton::clicked, this, [this] { ClearList(); });
  connect(ok_, &QPushButton::clicked, this, [this] { RunMode(); });
  connect(preview_check_, &QCheckBox::toggled, this, [this](bool checked) {
    preview_box_->Clear();
    preview_box_->setVisible(checked);
    if (checked)
      preview_box_->raise();
  });
  connect(preview_box_, &PreviewBox::DoubleClicked, this, &CryptPage::PreviewDoubleClicked);
  DescribeControls(*this);
}

CryptPage::~CryptPage() = default;

void CryptPage::Activate() {
  host_.SetKeyTimerEnabled(false);
  if (preview_check_->isChecked())
    preview_box_->show();
  switch (CurrentMode()) {
    case WorkMode::Encrypt:
    case WorkMode::Wipe:
      host_.SetFilterText(DefaultFilterText);
      preview_check_->show();
      break;
    case WorkMode::Decrypt:
      host_.SetFilterText("EnCrypted Files(*.VLP,*.VLD)|*.VLP;*.VLD");
      host_.SetFileListMask("*.VLP;*.VLD");
      Leave();
      break;
    case WorkMode::SlideShow:
      host_.SetFilterText("EnCrypted Pictures(*.VLP)|*.VLP");
      host_.SetFileListMask("*.VLP");
      Leave();
      break;
  }
}

void CryptPage::Leave() {
  preview_check_->hide();
  preview_box_->hide();
}

void CryptPage::Reset() {
  rows_->Clear();
  preview_box_->Clear();
  DisableListButtons();
}

WorkMode CryptPage::CurrentMode() const {
  if (encrypt_->isChecked())
    return WorkMode::Encrypt;
  if (decrypt_->isChecked())
    return WorkMode::Decrypt;
  if (wipe_->isChecked())
    return WorkMode::Wipe;
  return WorkMode::SlideShow;
}

void CryptPage::UpdateListButtons() {
  const bool rows = !rows_->Empty();
  ok_->setVisible(rows);
  clear_->setEnabled(rows);
  remove_->setEnabled(rows);
}

void CryptPage::DisableListButtons() {
  ok_->hide();
  clear_->setEnabled(false);
  remove_->setEnabled(false);
}

void CryptPage::AfterListChange() {
  UpdateListButtons();
  host_.SetStatusLine(rows_->Summary());
  host_.FocusFileList();
}

void CryptPage::AddSelected() {
  if (host_.FileListFolder().isEmpty())
    return;
  const WorkMode mode = CurrentMode();
  {
    TWorkList::Batch quiet(*rows_);
    for (const QString& path : host_.SelectedFiles()) {
      if (AcceptForAdd(mode, PathBytes(path)))
        rows_->AddEntry(path, mode);
    }
  }
  AfterListChange();
}

void CryptPage::AddAll() {
  const QString folder = host_.FileListFolder();
  if (folder.isEmpty())
    return;
  const int answer = Ask(QString("Include Sub-Directories ?"));
  if (answer == kAnswerCancel)
    return;
  const WorkMode mode = CurrentMode();
  const std::string filter = host_.FilterDescription().toStdString();
  bool cancelled = false;
  {
    TWorkList::Batch quiet(*rows_);
    // Painted before the walk, which paints nothing until it adds a file.
    host_.SetStatusLine("Browsing Directories...");
    host_.SetBusy(true);
    host_.SetCancellable(true);
    AtExit done([this] { host_.SetCancellable(false); });
    window()->repaint();
    TFileIterator walk;
    walk.SetOptions(fiPath | fiDetails | (answer == kAnswerYes ? fiRecurseFolders : 0u));
    walk.SetRootFolder(PathBytes(folder));
    walk.OnAddFileQuery = [&](TFileIterator&, const std::string& path, const TFileInfo&,
                              bool& can_add) {
      ThrowIfInterrupted();  // the window answers, and Escape ends the walk here
      can_add = AcceptForMode(mode, filter, path);
    };
    walk.OnAddFile = [&](TFileIterator&, const std::string& path, const TFileInfo& info) {
      rows_->AddEntry(path, mode, &info);
    };
    try {
      walk.Execute();
    } catch (const Interrupted& stop) {
      // Cancelled: the files found so far stay listed. After a signal the
      // window is closing anyway.
      if (stop.cancelled())
        cancelled = true;
    } catch (const std::exception& error) {
      feedback_.ShowError(error.what());
    }
    host_.SetBusy(false);
  }
  AfterListChange();
  if (cancelled)
    host_.SetStatusLine("Cancelled: " + rows_->Summary());
}

void CryptPage::RemoveSelected() {
  rows_->RemoveRows(list_->SelectedRows());
  AfterListChange();
}

void CryptPage::ClearList() {
  host_.SetStatusLine(QString());
  rows_->Clear();
  UpdateListButtons();
  host_.FocusFileList();
}

void CryptPage::AddDropped(const QStringList& paths) {
  const WorkMode mode = CurrentMode();
  for (const QString& path : paths) {
    if (AcceptForDrop(mode, PathBytes(path)))
      rows_->AddEntry(path, mode);
    UpdateListButtons();
  }
}

void CryptPage::RunMode() {
  // The rows in the order shown, as they are now.
  runs_->TakeRows();
  AtExit release([this] { runs_->ReleaseRows(); });
  if (CurrentMode() != WorkMode::SlideShow)
    host_.SetCancellable(true);
  AtExit done([this] { host_.SetCancellable(false); });
  switch (CurrentMode()) {
    case WorkMode::Encrypt:
      batch_->EncryptAll();
      break;
    case WorkMode::Decrypt:
      batch_->DecryptAll();
      break;
    case WorkMode::Wipe:
      batch_->WipeAll();
      break;
    case WorkMode::SlideShow:
      SlideStop = false;
      SlideShowFlow(*runs_, viewer_, full_screen_).Run();
      break;
  }
}

void CryptPage::ClearPreview() {
  preview_box_->Clear();
}

void CryptPage::PreviewClicked(const QString& path, bool any_mode) {
  if ((any_mode || CurrentMode() != WorkMode::Decrypt) && preview_check_->isChecked() &&
      IsPictureExtension(ExtensionOf(PathBytes(path)))) {
    preview_box_->ShowFile(path);
  }
}

}  // namespace vls

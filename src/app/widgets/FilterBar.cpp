#include "app/widgets/FilterBar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace vls {

FilterBar::FilterBar(QWidget* parent) : QWidget(parent), combo_(new QComboBox) {
  setObjectName("PTGroup1");
  setFixedHeight(33);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 3, 4, 3);
  combo_->setObjectName("FilterComboBox1");
  combo_->setMinimumWidth(166);
  auto* up = new QToolButton;
  up->setObjectName("UpOneLevelBtn");
  up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
  up->setAutoRaise(true);
  layout->addWidget(combo_);
  layout->addWidget(up);
  layout->addStretch(1);
  connect(combo_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    filter_.Select(index);
    AnnounceMask();
  });
  connect(up, &QToolButton::clicked, this, &FilterBar::UpOneLevelClicked);
}

void FilterBar::SetFilterText(const QString& text) {
  if (!filter_.SetText(text.toStdString()))
    return;
  combo_->clear();
  for (const auto& entry : filter_.entries())
    combo_->addItem(QString::fromStdString(entry.description));
  combo_->setCurrentIndex(filter_.selected());
  AnnounceMask();
}

QString FilterBar::Description() const {
  return combo_->currentText();
}

void FilterBar::AnnounceMask() {
  if (filter_.selected() < 0)
    filter_.Select(-1);
  emit MaskChosen(QString::fromStdString(filter_.SelectedMask()));
}

}  // namespace vls

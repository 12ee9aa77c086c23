#include "manager/window/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "common/version/VersionNote.h"

namespace lumi::manager {

AboutDialog::AboutDialog(const text::StringTable& strings, const QString& programFile, const QIcon& icon,
                         QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(strings.text(150));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* picture = new QLabel(this);
  picture->setPixmap(icon.pixmap(32, 32));
  row->addWidget(picture, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel(strings.text(230), this));
  version_ = new QLabel(strings.text(151).arg(version::FileVersionText(programFile)), this);
  version_->setObjectName(QStringLiteral("version"));
  texts->addWidget(version_);
  row->addLayout(texts, 1);
  layout->addLayout(row);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(box);
}

QString AboutDialog::versionLine() const { return version_->text(); }

}  // namespace lumi::manager

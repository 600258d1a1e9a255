#include "ui/TfrmAbout.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/JpegDecoder.h"

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName("frmAbout");
  setWindowTitle(tr("About"));
  setFont(QFont("MS Sans Serif", 8));
  setFixedSize(360, 239);
  move(499, 255);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setAccessibleName(tr("Korvanedrestolin picture"));
  Image1->setGeometry(8, 8, 117, 224);
  QFile picture(kPictureResource);
  if (picture.open(QIODevice::ReadOnly)) {
    QImage image = JpegDecoder::decode(picture.readAll());
    if (!image.isNull()) Image1->setPixmap(QPixmap::fromImage(image));
  }

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setAccessibleName(tr("Product and version"));
  Memo1->setGeometry(132, 12, 213, 109);
  Memo1->setReadOnly(true);
  Memo1->setFrameShape(QFrame::NoFrame);
  SetSettingsFile(QString());
  QPalette palette = Memo1->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  Memo1->setPalette(palette);

  btnOk = new QPushButton(tr("OK"), this);
  btnOk->setObjectName("btnOk");
  btnOk->setGeometry(276, 208, 75, 25);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  setTabOrder(btnOk, Memo1);
}

void TfrmAbout::SetSettingsFile(const QString& path) {
  QString text = "Korvanedrestolin\n\n" + tr("Version %1").arg(KORV_VERSION);
  if (!path.isEmpty()) text += "\n\n" + tr("Settings file:") + "\n" + path;
  Memo1->setPlainText(text);
}

int TfrmAbout::ShowModal() { return exec(); }

void TfrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  btnOk->setFocus();
}

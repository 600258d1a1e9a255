// TfrmAbout: the modal about box: the picture the program carries (a JPEG
// resource decoded with JpegDecoder), the product name, the version and the
// settings file in use, and an OK button that closes it with the OK result. Created once by the main
// window and reused; owns its controls.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  // The picture inside the program's resources.
  static constexpr const char* kPictureResource = ":/ui/about.jpg";

  explicit TfrmAbout(QWidget* parent = nullptr);

  // Names the settings file in use below the version.
  void SetSettingsFile(const QString& path);

  // Shows the box modally; returns when it is closed.
  int ShowModal();

  QLabel* Image1;
  QPlainTextEdit* Memo1;
  QPushButton* btnOk;

 protected:
  void showEvent(QShowEvent* event) override;
};

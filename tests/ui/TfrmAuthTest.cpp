// The login dialog, real widgets offscreen, opened modally the way the main
// window opens it; each test acts on the open dialog from a timer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "UiTestFiles.h"
#include "support/EventLoop.h"
#include "ui/IniFile.h"
#include "ui/SettingsFile.h"
#include "ui/TfrmAuth.h"

namespace {

using Strings = std::vector<std::string>;

// Accepts every message box that opens while it lives, keeping the texts.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts << box->text();
        box->accept();
      }
    });
    m_timer.start(5);
  }
  QStringList texts;

 private:
  QTimer m_timer;
};

class TfrmAuthTest : public ::testing::Test {
 protected:
  // Opens the dialog with `open` and runs `act` once it is on screen.
  int run(const std::function<int()>& open, const std::function<void()>& act) {
    QTimer::singleShot(0, &dlg, act);
    QTimer::singleShot(20000, &dlg, [this] { dlg.reject(); });  // a broken test must not hang
    return open();
  }
  int runTACL(const std::function<void()>& act) {
    return run([this] { return dlg.ShowTACLLogin(); }, act);
  }
  int runNCP(const std::function<void()>& act) {
    return run([this] { return dlg.ShowNCPLogin("$PM01"); }, act);
  }

  static QStringList items(QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i) list << box->itemText(i);
    return list;
  }
  static bool within(QWidget* w, QWidget* box) { return w == box || box->isAncestorOf(w); }

  uitest::TempSettings tmp;
  TfrmAuth dlg{tmp.path};
};

TEST_F(TfrmAuthTest, EnterInPasswordRemembersNewChoicesWithoutPositions) {
  int result = runTACL([&] {
    QTest::keyClicks(dlg.cbHost->lineEdit(), "H1");
    QTest::keyClicks(dlg.cbUser->lineEdit(), "U1");
    QTest::keyClicks(dlg.edPasswd, "secret");
    EXPECT_TRUE(dlg.grab().save(KORV_UI_SCREENSHOT_DIR "/login-dialog.png"));
    QTest::keyClick(dlg.edPasswd, Qt::Key_Return);
  });
  EXPECT_EQ(result, TfrmAuth::mrOk);
  EXPECT_EQ(dlg.hostText(), "H1");
  EXPECT_EQ(dlg.userText(), "U1");
  EXPECT_EQ(dlg.passwordText(), "secret");

  SettingsFile settings(tmp.path);
  IniFile ini(tmp.path);
  EXPECT_EQ(settings.readList(SettingsFile::kHosts), Strings{"H1"});
  EXPECT_EQ(settings.readList(SettingsFile::kUsersTACL), Strings{"U1"});
  EXPECT_EQ(ini.readInteger("Main", "Hostidx", 99), -1);
  EXPECT_EQ(ini.readInteger("Main", "TACLidx", 99), -1);
  EXPECT_FALSE(uitest::readBytes(tmp.path).contains("secret"));

  result = runTACL([&] {
    EXPECT_EQ(items(dlg.cbHost), QStringList{"H1"});
    EXPECT_EQ(items(dlg.cbUser), QStringList{"U1"});
    EXPECT_EQ(dlg.cbHost->currentIndex(), -1);
    EXPECT_EQ(dlg.cbUser->currentIndex(), -1);
    EXPECT_EQ(dlg.hostText(), "");
    EXPECT_EQ(dlg.userText(), "");
    EXPECT_EQ(dlg.passwordText(), "");
    EXPECT_FALSE(dlg.btnLogin->isEnabled());
    dlg.close();
  });
  EXPECT_EQ(result, TfrmAuth::mrCancel);
}

TEST_F(TfrmAuthTest, PickedEntriesStoreTheirPositionsAndNoNewLines) {
  uitest::writeBytes(tmp.path, "[Main]\r\nHostidx=-1\r\n[Hosts]\r\nH1=\r\nH2=\r\n[Users.TACL]\r\nU1=\r\nU2=\r\n");
  int result = runTACL([&] {
    QTest::keyClicks(dlg.cbHost->lineEdit(), "h2");
    dlg.cbUser->setCurrentIndex(0);  // as picked from the drop-down list
    QTest::keyClick(dlg.edPasswd, Qt::Key_Return);
  });
  EXPECT_EQ(result, TfrmAuth::mrOk);
  EXPECT_EQ(dlg.hostText(), "h2");
  EXPECT_EQ(uitest::readBytes(tmp.path),
            QByteArray("[Main]\r\nHostidx=1\r\nTACLidx=0\r\n[Hosts]\r\nH1=\r\nH2=\r\n[Users.TACL]\r\nU1=\r\nU2=\r\n"));

  result = runTACL([&] {
    EXPECT_EQ(dlg.hostText(), "H2");
    EXPECT_EQ(dlg.userText(), "U1");
    EXPECT_TRUE(dlg.btnLogin->isEnabled());
    dlg.close();
  });
  EXPECT_EQ(result, TfrmAuth::mrCancel);
}

TEST_F(TfrmAuthTest, ConnectButtonConfirmsWithoutStoring) {
  auto typeChoices = [&] {
    QTest::keyClicks(dlg.cbHost->lineEdit(), "H1");
    QTest::keyClicks(dlg.cbUser->lineEdit(), "U1");
    QTest::keyClicks(dlg.edPasswd, "pw");
  };
  EXPECT_EQ(runTACL([&] {
              typeChoices();
              QTest::mouseClick(dlg.btnLogin, Qt::LeftButton);
            }),
            TfrmAuth::mrOk);
  EXPECT_EQ(dlg.passwordText(), "pw");
  EXPECT_EQ(runTACL([&] {
              typeChoices();
              QTest::keyClick(dlg.btnLogin, Qt::Key_Return);
            }),
            TfrmAuth::mrOk);
  EXPECT_EQ(runTACL([&] {
              typeChoices();
              QTest::keyClick(dlg.btnLogin, Qt::Key_Space);
            }),
            TfrmAuth::mrOk);
  EXPECT_FALSE(uitest::fileExists(tmp.path));
}

TEST_F(TfrmAuthTest, EnterInTheBoxesNeitherConfirmsNorAddsToTheList) {
  uitest::writeBytes(tmp.path, "[Hosts]\r\nH1=\r\n");
  int result = runTACL([&] {
    QTest::keyClicks(dlg.cbHost->lineEdit(), "Other");
    QTest::keyClick(dlg.cbHost->lineEdit(), Qt::Key_Return);
    QTest::keyClicks(dlg.cbUser->lineEdit(), "U9");
    QTest::keyClick(dlg.cbUser->lineEdit(), Qt::Key_Return);
    korvtest::processQueuedEvents();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(items(dlg.cbHost), QStringList{"H1"});
    EXPECT_EQ(dlg.cbUser->count(), 0);
    dlg.close();
  });
  EXPECT_EQ(result, TfrmAuth::mrCancel);
}

TEST_F(TfrmAuthTest, TypingCompletesTheFirstMatchIgnoringCase) {
  uitest::writeBytes(tmp.path, "[Hosts]\r\nAlpha=\r\nH1=\r\nH10=\r\n");
  runTACL([&] {
    QLineEdit* edit = dlg.cbHost->lineEdit();
    QTest::keyClicks(edit, "h");
    EXPECT_EQ(edit->text(), "h1");
    EXPECT_EQ(edit->selectedText(), "1");
    EXPECT_EQ(dlg.cbHost->currentIndex(), 1);

    QTest::keyClick(edit, Qt::Key_Backspace);  // removes the completed part only
    EXPECT_EQ(edit->text(), "h");
    QTest::keyClicks(edit, "x");  // begins no entry: the selection stays
    EXPECT_EQ(edit->text(), "hx");
    EXPECT_EQ(dlg.cbHost->currentIndex(), 1);

    edit->clear();
    QTest::keyClicks(edit, "AL");
    EXPECT_EQ(edit->text(), "ALpha");
    EXPECT_EQ(edit->selectedText(), "pha");
    EXPECT_EQ(dlg.cbHost->currentIndex(), 0);
    dlg.close();
  });
}

TEST_F(TfrmAuthTest, CloseBoxGivesCancelAndStoresNothing) {
  int result = runTACL([&] {
    QTest::keyClicks(dlg.cbHost->lineEdit(), "H1");
    QTest::keyClicks(dlg.edPasswd, "pw");
    dlg.close();
  });
  EXPECT_EQ(result, TfrmAuth::mrCancel);
  EXPECT_EQ(dlg.passwordText(), "pw");  // kept until the next opening
  EXPECT_FALSE(uitest::fileExists(tmp.path));
}

TEST_F(TfrmAuthTest, NcpcomModeShowsTheRememberedHostFixedAndStoresOnlyTheUser) {
  const QByteArray before =
      "[Main]\r\nHostidx=1\r\nTACLidx=0\r\nNCPUidx=0\r\n[Hosts]\r\nH1=\r\nH2=\r\n[Users.TACL]\r\nT1=\r\n"
      "[Users.NCPCOM]\r\nN1=\r\n";
  uitest::writeBytes(tmp.path, before);
  int result = runNCP([&] {
    EXPECT_EQ(dlg.LoginMode(), TLoginMode::lmNCPCOM);
    EXPECT_EQ(dlg.windowTitle(), "NCP logon to $PM01");
    EXPECT_EQ(dlg.Label2->text(), "NCP &user");
    EXPECT_EQ(dlg.btnLogin->text(), "&Log on");
    EXPECT_FALSE(dlg.cbHost->isEnabled());
    EXPECT_EQ(dlg.hostText(), "H2");
    EXPECT_EQ(items(dlg.cbUser), QStringList{"N1"});
    EXPECT_EQ(dlg.userText(), "N1");
    dlg.cbUser->lineEdit()->selectAll();
    QTest::keyClicks(dlg.cbUser->lineEdit(), "N2");
    QTest::keyClicks(dlg.edPasswd, "pw");
    QTest::keyClick(dlg.edPasswd, Qt::Key_Return);
  });
  EXPECT_EQ(result, TfrmAuth::mrOk);
  EXPECT_EQ(dlg.userText(), "N2");
  EXPECT_EQ(uitest::readBytes(tmp.path), before + "N2=\r\n");

  runTACL([&] {
    EXPECT_EQ(dlg.LoginMode(), TLoginMode::lmTACL);
    EXPECT_EQ(dlg.windowTitle(), "Login");
    EXPECT_EQ(dlg.btnLogin->text(), "&Connect");
    EXPECT_TRUE(dlg.cbHost->isEnabled());
    EXPECT_EQ(items(dlg.cbUser), QStringList{"T1"});
    dlg.close();
  });
}

TEST_F(TfrmAuthTest, PositionsMissingMinusOneOrBeyondTheListSelectNothing) {
  uitest::writeBytes(tmp.path,
                     "[Main]\r\nHostidx=5\r\nTACLidx=-1\r\nNCPUidx=junk\r\n[Hosts]\r\nH1=\r\nH2=\r\n[Users.TACL]\r\n"
                     "T1=\r\n[Users.NCPCOM]\r\nN1=\r\n");
  const std::function<int()> opens[] = {[this] { return dlg.ShowTACLLogin(); },
                                        [this] { return dlg.ShowNCPLogin("$PM01"); }};
  for (const auto& open : opens) {
    run(open, [&] {
      EXPECT_EQ(dlg.cbHost->count(), 2);
      EXPECT_EQ(dlg.cbUser->count(), 1);
      EXPECT_EQ(dlg.cbHost->currentIndex(), -1);
      EXPECT_EQ(dlg.cbUser->currentIndex(), -1);
      EXPECT_EQ(dlg.hostText(), "");
      EXPECT_EQ(dlg.userText(), "");
      EXPECT_FALSE(dlg.btnLogin->isEnabled());
      dlg.close();
    });
  }
}

TEST_F(TfrmAuthTest, PasswordIsEmptiedAtEveryOpening) {
  for (int i = 0; i < 2; ++i) {
    runTACL([&] {
      EXPECT_EQ(dlg.passwordText(), "");
      QTest::keyClicks(dlg.cbHost->lineEdit(), "H1");
      QTest::keyClicks(dlg.edPasswd, "pw");
      EXPECT_EQ(dlg.edPasswd->displayText(), "**");
      QTest::keyClick(dlg.edPasswd, Qt::Key_Return);
    });
    EXPECT_EQ(dlg.passwordText(), "pw");
  }
  EXPECT_FALSE(uitest::readBytes(tmp.path).contains("pw"));
}

TEST_F(TfrmAuthTest, ConnectIsEnabledExactlyWhenThereIsAHost) {
  uitest::writeBytes(tmp.path, "[Main]\r\nHostidx=0\r\n[Hosts]\r\nH1=\r\n");
  int result = runTACL([&] {
    EXPECT_TRUE(dlg.btnLogin->isEnabled());
    dlg.cbHost->lineEdit()->selectAll();
    QTest::keyClick(dlg.cbHost->lineEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(dlg.btnLogin->isEnabled());
    QTest::keyClicks(dlg.cbHost->lineEdit(), "z");
    EXPECT_TRUE(dlg.btnLogin->isEnabled());
    QTest::mouseClick(dlg.btnLogin, Qt::LeftButton);
  });
  EXPECT_EQ(result, TfrmAuth::mrOk);
  EXPECT_EQ(dlg.hostText(), "z");
}

TEST_F(TfrmAuthTest, FocusStartsInTheFirstEmptyFieldAndConnectLeadsTheTabOrder) {
  runTACL([&] {
    EXPECT_TRUE(within(dlg.focusWidget(), dlg.cbHost));
    dlg.close();
  });
  uitest::writeBytes(tmp.path, "[Main]\r\nHostidx=0\r\n[Hosts]\r\nH1=\r\n[Users.TACL]\r\nU1=\r\n");
  runTACL([&] {
    EXPECT_TRUE(within(dlg.focusWidget(), dlg.cbUser));
    dlg.close();
  });
  uitest::writeBytes(tmp.path, "[Main]\r\nHostidx=0\r\nTACLidx=0\r\n[Hosts]\r\nH1=\r\n[Users.TACL]\r\nU1=\r\n");
  for (int i = 0; i < 2; ++i) {
    runTACL([&] {
      EXPECT_EQ(dlg.size(), QSize(265, 123));
      EXPECT_EQ(dlg.focusWidget(), dlg.edPasswd);
      QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(dlg.focusWidget(), dlg.btnLogin);
      QTest::keyClick(dlg.btnLogin, Qt::Key_Tab);
      EXPECT_TRUE(within(dlg.focusWidget(), dlg.cbHost));
      QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
      EXPECT_TRUE(within(dlg.focusWidget(), dlg.cbUser));
      QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(dlg.focusWidget(), dlg.edPasswd);
      dlg.close();
    });
  }
}

TEST_F(TfrmAuthTest, RefusedWriteIsShownAndTheDialogStillConfirms) {
  uitest::writeBytes(tmp.dir.filePath("plain"), "x");
  const QString path = tmp.dir.filePath("plain/Korvanedrestolin.INI");
  TfrmAuth blocked(path);
  MessageBoxCatcher catcher;
  QTimer::singleShot(0, &blocked, [&] {
    QTest::keyClicks(blocked.cbHost->lineEdit(), "H1");
    QTest::keyClicks(blocked.cbUser->lineEdit(), "U1");
    QTest::keyClick(blocked.edPasswd, Qt::Key_Return);
  });
  EXPECT_EQ(blocked.ShowTACLLogin(), TfrmAuth::mrOk);
  EXPECT_EQ(catcher.texts, QStringList{"Unable to write to " + path});
}

TEST_F(TfrmAuthTest, NamesTheFileCannotCarryAreToldAndNotWritten) {
  MessageBoxCatcher catcher;
  int result = runTACL([&] {
    QTest::keyClicks(dlg.cbHost->lineEdit(), "bad=host");
    dlg.cbUser->setEditText(QString::fromUtf8("\u03a9mega"));
    QTest::keyClick(dlg.edPasswd, Qt::Key_Return);
  });
  EXPECT_EQ(result, TfrmAuth::mrOk);
  ASSERT_EQ(catcher.texts.size(), 1);
  EXPECT_TRUE(catcher.texts[0].contains("bad=host"));
  EXPECT_TRUE(catcher.texts[0].contains(QString::fromUtf8("\u03a9mega")));
  EXPECT_EQ(uitest::readBytes(tmp.path), QByteArray("[Main]\r\nHostidx=-1\r\nTACLidx=-1\r\n"));
}

}  // namespace

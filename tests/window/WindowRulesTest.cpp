// The window without a host conversation, or with one only as a source of
// debug lines: its controls, the windows it makes, the debug routing of
// View, Debug, the queue text, and its position in the settings file.
#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <climits>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/IniFile.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmAuth.h"
#include "ui/TfrmDebug.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

using WindowRulesTest = WindowTest;

TEST_F(WindowRulesTest, ControlsCarryTheirNamesTextsAndStates) {
  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
  EXPECT_EQ(win->size(), QSize(TfrmMain::kDesignWidth, TfrmMain::kDesignHeight));
  for (QWidget* w :
       std::initializer_list<QWidget*>{win->tvMain, win->spMain, win->lvMain, win->btnApplyAlter, win->sbPanel}) {
    EXPECT_FALSE(w->objectName().isEmpty());
    EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
  }
  EXPECT_EQ(win->tvMain->objectName(), "tvMain");
  EXPECT_GE(win->tvMain->width(), win->tvMain->fontMetrics().horizontalAdvance("(Abnormal) POS000000001"))
      << "a status and a full name fit";
  EXPECT_EQ(win->spMain->handleWidth(), 2);
  EXPECT_FALSE(win->lvMain->isEnabled());
  EXPECT_EQ(win->lvMain->horizontalHeaderItem(0)->text(), "Params");
  EXPECT_EQ(win->lvMain->horizontalHeaderItem(1)->text(), "Value");
  EXPECT_EQ(win->lvMain->columnWidth(0), 100);
  EXPECT_EQ(win->lvMain->columnWidth(1), 200);
  EXPECT_EQ(win->lvMain->rowCount(), 0);
  EXPECT_EQ(win->btnApplyAlter->text(), "Apply");
  EXPECT_FALSE(win->btnApplyAlter->isEnabled());
  const QWidget* side = win->btnApplyAlter->parentWidget();
  EXPECT_EQ(win->btnApplyAlter->geometry().right(), side->width() - 6);
  ASSERT_EQ(win->sbPanels.size(), 2);
  EXPECT_EQ(win->sbPanels[0]->width(), 200);
  EXPECT_EQ(win->sbPanels[1]->width(), 280);
  EXPECT_EQ(win->imgList.size(), 11);

  EXPECT_EQ(win->mmConnect->text(), "&Connect");
  EXPECT_EQ(win->mmConnect->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  EXPECT_TRUE(win->N2->isSeparator());
  EXPECT_EQ(win->Exit1->text(), "E&xit");
  EXPECT_TRUE(win->DebugView->isCheckable());
  EXPECT_FALSE(win->DebugView->isChecked());
  EXPECT_EQ(win->About1->text(), "&About");
  QStringList menus;
  for (QAction* a : win->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&Tools", "&View", "&Help"}));

  // Made after the main window, in this order; only the main window shows.
  const QObjectList children = win->children();
  EXPECT_LT(children.indexOf(win->frmAuth), children.indexOf(win->frmAbout));
  EXPECT_LT(children.indexOf(win->frmAbout), children.indexOf(win->frmDebug));
  EXPECT_FALSE(win->frmAuth->isVisible());
  EXPECT_FALSE(win->frmAbout->isVisible());
  EXPECT_FALSE(win->frmDebug->isVisible());
  EXPECT_TRUE(win->frmAbout->Memo1->toPlainText().endsWith("\n\nSettings file:\n" + settingsPath));
}

TEST_F(WindowRulesTest, SessionLinesAreCollectedFromTheStartAndRegistryLinesOnlyWhileDebugIsChecked) {
  connectTacl();
  logonNcp("$PM01");
  EXPECT_TRUE(debugText().contains("TNCPTelnet Connected: 0")) << "the session's lines carry its class name";
  EXPECT_FALSE(debugText().contains("SetStatusObj")) << "the registry's lines start detached";
  EXPECT_FALSE(win->frmDebug->isVisible());

  win->DebugView->trigger();
  EXPECT_TRUE(win->DebugView->isChecked());
  EXPECT_TRUE(win->frmDebug->isVisible());
  rightClick(item("(Stopped) LTCP03"));
  choose("Refresh Line LTCP03");
  ASSERT_TRUE(waitUntil([&] { return idle() && debugText().contains("SetStatusObj Name=LTCP03"); }));
  const QStringList lines = debugText().split('\n');
  EXPECT_TRUE(lines.contains("SetStatusObj Name=LTCP03 Type=xpLine Status=nsStopped")) << "no sender: the text alone";

  win->DebugView->trigger();
  EXPECT_FALSE(win->DebugView->isChecked());
  EXPECT_TRUE(win->frmDebug->isVisible()) << "unchecking does not hide the window";
  win->frmDebug->DbgClearClick();
  rightClick(item("(Stopped) LTCP03"));
  choose("Refresh Line LTCP03");
  ASSERT_TRUE(waitUntil([&] { return idle() && commands().back() == "STATUS LINE LTCP03"; }));
  korvtest::processQueuedEvents();
  EXPECT_EQ(debugText(), "RefreshLine LTCP03") << "popup lines still go in, session and registry lines not";
}

TEST_F(WindowRulesTest, QueueTextAndCursorFollowTheQueueReports) {
  win->NCPTelnetCommand(nullptr, 2, atsCommand);
  EXPECT_EQ(win->sbPanels[0]->text(), "Queue: 2 (2)");
  EXPECT_EQ(win->tvMain->cursor().shape(), Qt::BusyCursor);
  win->NCPTelnetCommand(nullptr, 0, atsCommandEnd);
  EXPECT_EQ(win->sbPanels[0]->text(), "Queue: 0 (3)");
  EXPECT_EQ(win->tvMain->cursor().shape(), Qt::ArrowCursor);
  win->NCPTelnetCommand(nullptr, 0, atsIdle);
  EXPECT_EQ(win->sbPanels[0]->text(), "Queue: 0 (0)");
  QAccessibleInterface* queue = QAccessible::queryAccessibleInterface(win->sbPanels[0]);
  ASSERT_NE(queue, nullptr);
  EXPECT_EQ(queue->text(QAccessible::Name), "Queue: 0 (0)") << "what a screen reader reads";
  EXPECT_TRUE(win->sbPanels[1]->text().isEmpty());
}

TEST_F(WindowRulesTest, PositionIsRestoredAndSavedAndAMaximizedWindowKeepsItsBounds) {
  // No file: top left corner, design size, normal.
  EXPECT_EQ(win->pos(), QPoint(0, 0));
  EXPECT_EQ(win->size(), QSize(TfrmMain::kDesignWidth, TfrmMain::kDesignHeight));
  EXPECT_FALSE(win->isMaximized());
  win->move(40, 30);
  win->resize(800, 400);
  win->close();
  IniFile ini(settingsPath);
  EXPECT_EQ(ini.readInteger("Main", "Top", -1), 30);
  EXPECT_EQ(ini.readInteger("Main", "Left", -1), 40);
  EXPECT_EQ(ini.readInteger("Main", "Width", -1), 800);
  EXPECT_EQ(ini.readInteger("Main", "Height", -1), 400);
  EXPECT_EQ(ini.readInteger("Main", "Maximized", -1), 0);

  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->isVisible(); }));
  EXPECT_EQ(win->pos(), QPoint(40, 30));
  EXPECT_EQ(win->size(), QSize(800, 400));
  win->setWindowState(Qt::WindowMaximized);
  ASSERT_TRUE(waitUntil([&] { return win->isMaximized(); }));
  // Tools, Exit saves and ends the application's event loop.
  QTimer::singleShot(0, win.get(), [this] { win->Exit1Click(); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(ini.readInteger("Main", "Maximized", -1), 2);
  EXPECT_EQ(ini.readInteger("Main", "Width", -1), 800) << "a maximized window keeps its stored bounds";
  EXPECT_EQ(ini.readInteger("Main", "Top", -1), 30);

  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->isMaximized(); }));
  EXPECT_EQ(win->normalGeometry().size(), QSize(800, 400));
}

TEST_F(WindowRulesTest, UnwritableSettingsFileIsToldOnceAndTheWindowClosesAnyway) {
  // A missing folder would be made; a plain file in its place cannot be.
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  win = std::make_unique<TfrmMain>(dir.filePath("plain/Korvanedrestolin.INI"));
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->isVisible(); }));
  EXPECT_TRUE(win->close());
  EXPECT_FALSE(win->isVisible());
  // The audit file beside it cannot be made either, and is told on its own.
  EXPECT_EQ(catcher.texts().filter("Unable to write").size(), 1) << catcher.texts().join(" | ").toStdString();
}

// Saved bounds no screen can show, from a broken or foreign settings file:
// the window, its frame included, comes up inside the screen's available
// area, bounds that fit are kept, and the file is not rewritten.
struct SavedBounds {
  const char* name;
  int left, top, width, height;
  bool sizeKept, positionKept;
};

void PrintTo(const SavedBounds& row, std::ostream* out) { *out << row.name; }

class SavedBoundsTest : public WindowTest, public ::testing::WithParamInterface<SavedBounds> {};

TEST_P(SavedBoundsTest, WindowComesUpOnTheScreen) {
  const SavedBounds& row = GetParam();
  IniFile ini(settingsPath);
  ini.writeInteger("Main", "Left", row.left);
  ini.writeInteger("Main", "Top", row.top);
  ini.writeInteger("Main", "Width", row.width);
  ini.writeInteger("Main", "Height", row.height);
  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->isVisible(); }));

  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = win->frameGeometry();
  EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
  if (row.sizeKept) {
    EXPECT_EQ(win->size(), QSize(row.width, row.height));
  }
  if (row.positionKept) {
    EXPECT_EQ(win->pos(), QPoint(row.left, row.top));
  }
  EXPECT_EQ(ini.readInteger("Main", "Width", 0), row.width) << "the file is left alone";
  EXPECT_EQ(ini.readInteger("Main", "Left", 0), row.left);
}

INSTANTIATE_TEST_SUITE_P(Rows, SavedBoundsTest,
                         ::testing::Values(SavedBounds{"Huge", 0, 0, 100000, 100000, false, true},
                                           SavedBounds{"IntMax", INT_MAX, INT_MAX, INT_MAX, INT_MAX, false, false},
                                           SavedBounds{"Negative", -5000, -5000, -700, -400, false, false},
                                           SavedBounds{"OffScreenPosition", 50000, -30000, 500, 300, true, false},
                                           SavedBounds{"Normal", 40, 30, 500, 300, true, true}),
                         [](const ::testing::TestParamInfo<SavedBounds>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

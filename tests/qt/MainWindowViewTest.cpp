#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "engine/RegisterMap.h"
#include "qt/InfoDialog.h"
#include "qt/MainWindowView.h"
#include "qt/OperatorFrameView.h"
#include "qt/QtTestApp.h"
#include "support/EngineFixture.h"
#include "support/TempDir.h"
#include "ui/TFormInfo.h"
#include "ui/TFormMain.h"

namespace vorpline::test {
namespace {

class MainWindowViewTest : public EngineFixture {
protected:
    MainWindowViewTest() {
        QtTestApp();
        for (int index : {0, 2}) {
            QImage picture(240, 120, QImage::Format_RGB32);
            picture.fill(index == 0 ? Qt::white : Qt::gray);
            picture.save(
                QString::fromStdString(assets.File("cnt" + std::to_string(index) + ".jpg")));
        }
        form = std::make_unique<TFormMain>(assets.path);
        form->AttachEngine(chip, pitch);
        view = std::make_unique<MainWindowView>(*form);
        view->show();
        backend.writes.clear();
    }

    // The widget at `path` ("FrameOp7/TrackBarAttack"): every step names exactly one object
    // below the one before, so a test never lands on a namesake by the order of creation.
    template <typename Widget> Widget* Find(const char* path) {
        QObject* at = view.get();
        for (const QString& name : QString::fromLatin1(path).split(QLatin1Char('/'))) {
            const QList<QObject*> found = at->findChildren<QObject*>(name);
            if (found.size() != 1) {
                ADD_FAILURE() << path << ": " << found.size() << " objects named "
                              << name.toStdString();
                return nullptr;
            }
            at = found.front();
        }
        auto* widget = qobject_cast<Widget*>(at);
        EXPECT_NE(widget, nullptr) << path;
        return widget;
    }
    QAction* Action(QMenu* menu, const char* name) {
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QString::fromLatin1(name)) {
                return action;
            }
        }
        ADD_FAILURE() << name;
        return nullptr;
    }
    uint8_t Reg(uint16_t base, int op, int voice) const {
        return chip.ReadRegister(static_cast<uint16_t>(base + OperatorSlotOffset(op, voice)));
    }

    TempDir assets;
    std::unique_ptr<TFormMain> form;
    std::unique_ptr<MainWindowView> view;
};

TEST_F(MainWindowViewTest, MovingASliderDrivesTheFormAndTheEngine) {
    auto* attack = Find<QSlider>("FrameOp7/TrackBarAttack");
    ASSERT_NE(attack, nullptr);
    attack->setValue(4);
    EXPECT_EQ(form->FrameOp7.TrackBarAttack.Position(), 4);
    for (int voice = 0; voice < 6; ++voice) {
        EXPECT_EQ(Reg(kRegAttackDecay, 2, voice) >> 4, 4);
    }
    EXPECT_EQ(form->FrameOp4.TrackBarAttack.Position(), 15) << "other frames stay";

    auto* algorithm = Find<QComboBox>("ComboBoxCNT");
    ASSERT_NE(algorithm, nullptr);
    emit algorithm->activated(5);
    EXPECT_EQ(form->ComboBoxCNT.ItemIndex(), 5);
    EXPECT_EQ(chip.ReadRegister(kRegFeedbackConnection + VoiceChannelOffset(1, 0)) & 1, 1);
}

TEST_F(MainWindowViewTest, WidgetsFollowTheForm) {
    auto* release = Find<QSlider>("FrameOp16/TrackBarRelease");
    auto* mode = Find<QComboBox>("ComboBoxLimit56");
    auto* notes = Find<QLabel>("LabelP1234");
    auto* picture = Find<QLabel>("ImageCnt");
    ASSERT_TRUE(release && mode && notes && picture);

    form->FrameOp16.TrackBarRelease.SetPosition(3);
    EXPECT_EQ(release->value(), 3);
    form->RemoveDrumModes();
    EXPECT_EQ(mode->count(), 4);
    EXPECT_EQ(mode->currentText(), QStringLiteral("Poly 3"));
    form->ShowNotes(0, 5);
    EXPECT_EQ(notes->text(), QStringLiteral("5"));
    form->ShowPresetCaption("Bells");
    EXPECT_EQ(view->windowTitle(), QStringLiteral("FM Synth - Vorpline 4.30 - Bells"));

    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().toImage().pixelColor(10, 10), QColor(Qt::white));
    form->ComboBoxCNT.SetItemIndex(2);
    EXPECT_NE(picture->pixmap().toImage().pixelColor(10, 10), QColor(Qt::white));
}

TEST_F(MainWindowViewTest, FrameMenus) {
    OperatorFrameView* first = view->Frame(0);
    OperatorFrameView* fifth = view->Frame(4);
    QStringList entries;
    for (QAction* action : first->ContextMenu()->actions()) {
        entries << action->text();
    }
    EXPECT_EQ(entries, (QStringList{"Cut", "Copy", "Paste", "Clear All"}));
    QAction* paste = Action(fifth->ContextMenu(), "MenuItemPaste");
    ASSERT_NE(paste, nullptr);
    EXPECT_FALSE(paste->isEnabled());

    form->FrameOp1.TrackBarVolume.SetPosition(12);
    Action(first->ContextMenu(), "MenuItemCopy")->trigger();
    EXPECT_TRUE(paste->isEnabled());
    paste->trigger();
    EXPECT_EQ(Find<QSlider>("FrameOp13/TrackBarVolume")->value(), 12);

    ASSERT_EQ(first->WaveMenu()->actions().size(), 8);
    EXPECT_EQ(Action(first->WaveMenu(), "MenuItemWave3")->text(),
              QStringLiteral("Sine (quarter pulse)"));
    Action(first->WaveMenu(), "MenuItemWave6")->trigger();
    EXPECT_EQ(Find<QComboBox>("FrameOp1/ComboBoxWS")->currentIndex(), 6);
    EXPECT_EQ(Reg(kRegWaveform, 0, 1), 6);
}

TEST_F(MainWindowViewTest, LabelShortcutByMouse) {
    form->TrackBarVolume.SetPosition(3);
    auto* label = Find<QLabel>("PanelOutput/LabelVolume");
    ASSERT_NE(label, nullptr);
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(Find<QSlider>("PanelOutput/TrackBarVolume")->value(), 25);
}

TEST_F(MainWindowViewTest, PanTicksStayAtTheEndsAndTheCentreAfterADrag) {
    auto* pan = Find<QSlider>("PanelOutput/TrackBarPan");
    ASSERT_NE(pan, nullptr);
    EXPECT_EQ(pan->tickInterval(), 64);
    QTest::mousePress(pan, Qt::LeftButton, {}, QPoint(pan->width() / 2, pan->height() / 2));
    QTest::mouseMove(pan, QPoint(pan->width() / 4, pan->height() / 2));
    QTest::mouseRelease(pan, Qt::LeftButton, {}, QPoint(pan->width() / 4, pan->height() / 2));
    ASSERT_LT(form->TrackBarPan.Position(), 0) << "the drag moved the pan";
    EXPECT_EQ(pan->tickInterval(), 64);
}

TEST_F(MainWindowViewTest, TuningBoxesShowTheValueInUseOnceTypingEnds) {
    for (const char* path : {"PanelDev/ComboBoxTranspose", "PanelRight/ComboBoxTR2"}) {
        auto* box = Find<QComboBox>(path);
        ASSERT_TRUE(box && box->lineEdit()) << path;
        QLineEdit* line = box->lineEdit();
        line->selectAll();
        QTest::keyClicks(line, QStringLiteral("abc"));
        EXPECT_EQ(line->text(), QStringLiteral("abc"));
        QTest::keyClick(line, Qt::Key_Return);
        EXPECT_EQ(line->text(), QStringLiteral("0 cents")) << path;

        line->selectAll();
        QTest::keyClicks(line, QStringLiteral("99999"));
        EXPECT_EQ(line->text(), QStringLiteral("+4500")) << path;
    }
    EXPECT_EQ(pitch.MasterTuning(), 4500);
    EXPECT_EQ(pitch.PartTuning(1), 4500);
    EXPECT_EQ(Find<QComboBox>("PanelLeft/ComboBoxTR1")->findText(QStringLiteral("+6000")), -1);
}

TEST_F(MainWindowViewTest, FitsASmallLaptopScreen) {
    QSize size = view->sizeHint();
    EXPECT_LE(size.width(), 1366);
    EXPECT_LE(size.height(), 740);
}

TEST_F(MainWindowViewTest, InformationWindowClosesWithOk) {
    TFormInfo info("Preset save failed.", "Error", form->ApplicationTitle());
    QtUiService ui;
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownTitle = dialog->windowTitle();
        dialog->findChild<QPushButton*>(QStringLiteral("ButtonOk"))->click();
    });
    ui.ShowModal(info);
    EXPECT_EQ(shownTitle, QStringLiteral("Error - Vorpline 4.30"));
    EXPECT_FALSE(info.Visible());
}

} // namespace
} // namespace vorpline::test

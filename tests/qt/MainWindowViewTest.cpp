#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
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

    template <typename Widget> Widget* Find(QWidget* parent, const char* name) {
        auto* widget = parent->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
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
    auto* attack = Find<QSlider>(view->Frame(2), "TrackBarAttack");
    ASSERT_NE(attack, nullptr);
    attack->setValue(4);
    EXPECT_EQ(form->FrameOp7.TrackBarAttack.Position(), 4);
    for (int voice = 0; voice < 6; ++voice) {
        EXPECT_EQ(Reg(kRegAttackDecay, 2, voice) >> 4, 4);
    }
    EXPECT_EQ(form->FrameOp4.TrackBarAttack.Position(), 15) << "other frames stay";

    auto* algorithm = Find<QComboBox>(view.get(), "ComboBoxCNT");
    ASSERT_NE(algorithm, nullptr);
    emit algorithm->activated(5);
    EXPECT_EQ(form->ComboBoxCNT.ItemIndex(), 5);
    EXPECT_EQ(chip.ReadRegister(kRegFeedbackConnection + VoiceChannelOffset(1, 0)) & 1, 1);
}

TEST_F(MainWindowViewTest, WidgetsFollowTheForm) {
    auto* release = Find<QSlider>(view->Frame(5), "TrackBarRelease");
    auto* mode = Find<QComboBox>(view.get(), "ComboBoxLimit56");
    auto* notes = Find<QLabel>(view.get(), "LabelP1234");
    auto* picture = Find<QLabel>(view.get(), "ImageCnt");
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
    EXPECT_EQ(Find<QSlider>(fifth, "TrackBarVolume")->value(), 12);

    QList<QAction*> waves = first->WaveMenu()->actions();
    ASSERT_EQ(waves.size(), 8);
    EXPECT_EQ(waves[3]->text(), QStringLiteral("Sine (quarter pulse)"));
    waves[6]->trigger();
    EXPECT_EQ(Find<QComboBox>(first, "ComboBoxWS")->currentIndex(), 6);
    EXPECT_EQ(Reg(kRegWaveform, 0, 1), 6);
}

TEST_F(MainWindowViewTest, LabelShortcutByMouse) {
    form->TrackBarVolume.SetPosition(3);
    auto* label = Find<QLabel>(view.get(), "LabelVolume");
    ASSERT_NE(label, nullptr);
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(Find<QSlider>(view.get(), "TrackBarVolume")->value(), 25);
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

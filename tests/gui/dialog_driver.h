// Driving modal dialogs from a test: the test schedules what to do once a
// dialog is up, then opens it; a watchdog closes anything left open so that
// a failing test ends instead of waiting for a user.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "dialogs/qttext.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/tempdir.h"

namespace korvane::test {

// Closes every modal dialog still open, innermost first.
inline void CloseStrayModals() {
    for (int i = 0; i < 10; ++i) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        dialog->done(QDialog::Rejected);
    }
}

// Runs `action` as soon as `expected` is the innermost modal dialog, polling
// for up to five seconds. Schedule it before the call that opens the dialog.
inline void WhenModal(QWidget* expected, std::function<void()> action, int triesLeft = 1000) {
    QTimer::singleShot(triesLeft == 1000 ? 0 : 5, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal == expected && modal->isVisible()) {
            action();
        } else if (triesLeft <= 0) {
            ADD_FAILURE() << "the expected dialog never came up";
            CloseStrayModals();
        } else {
            WhenModal(expected, action, triesLeft - 1);
        }
    });
}

// Closes stray dialogs if the test is still running after `seconds`.
class ModalWatchdog {
  public:
    explicit ModalWatchdog(int seconds = 15) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            ADD_FAILURE() << "a dialog was still open at the watchdog's deadline";
            CloseStrayModals();
        });
        timer_.start(seconds * 1000);
    }

  private:
    QTimer timer_;
};

// Presses a key on the widget that has the keyboard focus in `dialog`.
inline void PressOnFocused(QWidget* dialog, Qt::Key key) {
    QWidget* target = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key);
}

// Emoticon bitmaps numbered `numbers` in the application folder, replacing
// any shipped ones.
inline void MakeEmoticonFiles(const std::vector<int>& numbers) {
    const std::filesystem::path dir = platform::NativePath(AppPath("bmp"));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (int n : numbers) {
        QImage image(22, 22, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((n * 37) % 360, 160, 230));
        image.save(QString::fromStdString((dir / (std::to_string(n) + ".bmp")).string()), "BMP");
    }
}

// Every row of a query, each cell as text (code page).
inline std::vector<std::vector<std::string>> Rows(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    if (OpenDatabase() != texts::kOpen) return rows;
    const auto table = Database()->OpenQuery(sql);
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < table->ColumnCount(); ++i) row.push_back(table->FieldText(i));
    }
    return rows;
}

// UTF-8 text of the code-page bytes, for readable assertions.
inline std::string Utf8(const std::string& codePage) {
    return platform::FromCodePage(codePage);
}

inline std::string Utf8(const QString& text) {
    return text.toStdString();
}

// A temporary application folder with its own database, a stand-in main
// window and the three dialogs created over it, as its command host makes
// them.
class DialogTest : public ::testing::Test {
  protected:
    explicit DialogTest(std::vector<int> emoticons = {0, 1, 2, 3, 4, 5, 6, 7}) {
        MakeEmoticonFiles(emoticons);
        main_.setGeometry(200, 150, 700, 560);
        main_.show();
        const Dialogs dialogs(&main_);
        NE = dialogs.NE;
        fcon = dialogs.fcon;
        smsf = dialogs.smsf;
    }
    ~DialogTest() override { CloseStrayModals(); }

    // Schedules pressing Enter in the message dialog and records its text.
    void AnswerNextMessage(std::string* shown = nullptr, Qt::Key key = Qt::Key_Return) {
        Tsmsf* box = smsf;
        WhenModal(box, [box, shown, key] {
            if (shown != nullptr) *shown = FromQt(box->Memo1->toPlainText());
            PressOnFocused(box, key);
        });
    }

    AppFolder app_;
    ModalWatchdog watchdog_;
    QWidget main_;
    // The dialogs, children of main_.
    TNE* NE = nullptr;
    Tfcon* fcon = nullptr;
    Tsmsf* smsf = nullptr;
};

}  // namespace korvane::test

// The "同步…" dialog over stand-ins for the secret store and the runner: what
// 保存 writes where (the password never into a file), 取消 and Escape, the
// plain-http box and its warning, and the questions a pass may raise.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "dialog_driver.h"
#include "logic/syncsettings.h"
#include "mainwindow/syncdialog.h"
#include "support/find.h"
#include "support/waits.h"
#include "sync_fakes.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

const QString kUrl = QStringLiteral("https://cloud.example.com/remote.php/dav");
const QString kPassword = QStringLiteral("s3cret-密码");

// True when no file under `folder` holds `text`, as UTF-8 or in the code page.
bool NowhereIn(const fs::path& folder, const QString& text) {
    const std::string utf8 = text.toStdString();
    const std::string codePage = FromQt(text);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string bytes = test::ReadFile(entry.path());
        if (bytes.find(utf8) != std::string::npos || bytes.find(codePage) != std::string::npos) {
            ADD_FAILURE() << "found in " << entry.path();
            return false;
        }
    }
    return true;
}

class SyncDialogTest : public test::DialogTest {
  protected:
    // Opens the dialog and runs `steps` once it is up; the steps close it.
    int Open(const std::function<void(SyncDialog&)>& steps) {
        SyncDialog dialog(&main_, service_, *smsf);
        test::WhenModal(&dialog, [&] { steps(dialog); });
        return dialog.exec();
    }

    static void Type(SyncDialog& dialog, const QString& url, const QString& user,
                     const QString& password) {
        dialog.UrlEdit->setText(url);
        dialog.UserEdit->setText(user);
        dialog.PasswordEdit->setText(password);
    }

    SyncSettings Stored() const { return LoadSyncSettings(DataPath("sys.ini")); }

    test::FakeSecrets secrets_;
    test::FakePasses passes_;
    SyncService service_{DataPath("sys.ini"), secrets_, passes_, {60000, 60000, 60000}};
};

TEST_F(SyncDialogTest, SaveKeepsTheAccountInTheSettingsAndThePasswordOnlyInTheSecretStore) {
    const int result = Open([](SyncDialog& dialog) {
        Type(dialog, QStringLiteral("  ") + kUrl + QStringLiteral(" "), QStringLiteral("zhang"),
             kPassword);
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    const SyncSettings stored = Stored();
    EXPECT_EQ(stored.url, kUrl.toStdString());  // blanks around it dropped
    EXPECT_EQ(stored.user, "zhang");
    EXPECT_FALSE(stored.plainHttp);
    ASSERT_EQ(secrets_.kept.size(), 1u);
    EXPECT_EQ(secrets_.kept.begin()->first, QStringLiteral("zhang@") + kUrl);
    EXPECT_EQ(secrets_.kept.begin()->second, kPassword);
    EXPECT_TRUE(NowhereIn(app_.path(), kPassword));

    // Opened again: the account and the kept password are in the fields;
    // saving again without a change writes no secret again.
    Open([](SyncDialog& dialog) {
        EXPECT_EQ(dialog.UrlEdit->text(), kUrl);
        EXPECT_EQ(dialog.UserEdit->text(), QStringLiteral("zhang"));
        EXPECT_TRUE(test::WaitUntil([&] { return dialog.PasswordEdit->text() == kPassword; }));
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
    });
    EXPECT_EQ(secrets_.writes, 1);

    // Another user: the old account's password leaves the store.
    Open([](SyncDialog& dialog) {
        test::WaitUntil([&] { return !dialog.PasswordEdit->text().isEmpty(); });
        dialog.UserEdit->setText(QStringLiteral("li"));
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
    });
    ASSERT_EQ(secrets_.kept.size(), 1u);
    EXPECT_EQ(secrets_.kept.begin()->first, QStringLiteral("li@") + kUrl);
}

TEST_F(SyncDialogTest, WithoutASecretServiceThePasswordIsKeptNowhereAndTheDialogSaysSo) {
    secrets_.available = false;
    QString status;
    const int result = Open([&](SyncDialog& dialog) {
        Type(dialog, kUrl, QStringLiteral("zhang"), kPassword);
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
        EXPECT_TRUE(test::WaitUntil([&] { return dialog.SaveButton->isEnabled(); }));
        status = dialog.StatusLabel->text();
        EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open to show the failure";
        QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(status.contains(QStringLiteral("没有可用的密钥服务"))) << status.toStdString();
    EXPECT_EQ(Stored().user, "zhang");  // the account itself was kept
    EXPECT_TRUE(secrets_.kept.empty());
    EXPECT_TRUE(NowhereIn(app_.path(), kPassword));
}

TEST_F(SyncDialogTest, EscapeCancelsFromAnyField) {
    for (const char* field : {"UrlEdit", "UserEdit", "PasswordEdit"}) {
        const int result = Open([field](SyncDialog& dialog) {
            Type(dialog, kUrl, QStringLiteral("zhang"), kPassword);
            QWidget* edit = test::Find<QWidget>(dialog, field);
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        EXPECT_EQ(result, QDialog::Rejected) << field;
    }
    EXPECT_FALSE(Stored().Configured());
    EXPECT_EQ(secrets_.writes, 0);
    EXPECT_TRUE(passes_.started.empty());
}

TEST_F(SyncDialogTest, PlainHttpIsOffUntilTickedAndWarnsWhileTicked) {
    Open([](SyncDialog& dialog) {
        EXPECT_FALSE(dialog.PlainHttpBox->isChecked());
        EXPECT_FALSE(dialog.PlainHttpWarning->isVisible());
        Type(dialog, QStringLiteral("http://192.168.1.20:5232/"), QStringLiteral("zhang"),
             kPassword);
        QTest::mouseClick(dialog.PlainHttpBox, Qt::LeftButton);
        EXPECT_TRUE(dialog.PlainHttpWarning->isVisible());
        EXPECT_TRUE(dialog.PlainHttpWarning->text().contains(QStringLiteral("明文")));
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
    });
    EXPECT_TRUE(Stored().plainHttp);

    Open([](SyncDialog& dialog) {
        EXPECT_TRUE(dialog.PlainHttpBox->isChecked());
        EXPECT_TRUE(dialog.PlainHttpWarning->isVisible());
        QTest::mouseClick(dialog.PlainHttpBox, Qt::LeftButton);
        EXPECT_FALSE(dialog.PlainHttpWarning->isVisible());
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
    });
    EXPECT_FALSE(Stored().plainHttp);
}

// 立即同步 with the first pass's report, and the user's answer to the
// question it raises (if any).
struct PassCase {
    const char* name;
    SyncStatus first;
    bool asks;
    bool yes;
    size_t passes;           // how many passes ran in all
    bool createCollections;  // the last pass's options
    bool confirmMassDelete;
};

class SyncDialogPass : public SyncDialogTest, public ::testing::WithParamInterface<PassCase> {};

TEST_P(SyncDialogPass, SyncsAtOnceAndAsksOnlyWhatTheUserMustDecide) {
    const PassCase& c = GetParam();
    SyncReport first = test::Report(c.first);
    if (c.first == SyncStatus::Certificate) first.detail = "The certificate is self-signed";
    passes_.answers = {first, test::Report(SyncStatus::Done, 2)};
    std::string question;
    QString status;
    Open([&](SyncDialog& dialog) {
        Type(dialog, kUrl, QStringLiteral("zhang"), kPassword);
        if (c.asks) {
            Tsmsf* box = smsf;
            test::WhenModal(box, [&question, box, yes = c.yes] {
                question = FromQt(box->Memo1->toPlainText());
                QTest::mouseClick(yes ? box->BtYes : box->BtNo, Qt::LeftButton);
            });
        }
        QTest::mouseClick(dialog.SyncButton, Qt::LeftButton);
        EXPECT_TRUE(test::WaitUntil([&] {
            return passes_.started.size() == c.passes && !service_.Busy() &&
                   dialog.SyncButton->isEnabled() && (!c.asks || !question.empty());
        }));
        QTest::qWait(50);
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog) << "no question left open";
        status = dialog.StatusLabel->text();
        dialog.reject();
    });
    ASSERT_EQ(passes_.started.size(), c.passes);
    // The first pass makes nothing on the server and deletes nothing unasked;
    // it uses the typed password and the account just saved.
    EXPECT_FALSE(passes_.started.front().options.createCollections);
    EXPECT_FALSE(passes_.started.front().options.confirmMassDelete);
    EXPECT_EQ(passes_.started.front().password, kPassword);
    EXPECT_EQ(passes_.started.front().settings.url, kUrl.toStdString());
    EXPECT_EQ(passes_.started.back().options.createCollections, c.createCollections);
    EXPECT_EQ(passes_.started.back().options.confirmMassDelete, c.confirmMassDelete);
    if (c.first == SyncStatus::NoCollections) {
        EXPECT_EQ(test::Utf8(question), "在服务器上新建 “Korvane 记事” 和 “Korvane 联系人”？");
    }
    if (c.first == SyncStatus::MassDelete) {
        EXPECT_NE(test::Utf8(question).find("42 条记录"), std::string::npos) << question;
    }
    // The status line: the outcome in words, a certificate error with the
    // system's reason.
    const SyncReport last = c.passes == 2 ? test::Report(SyncStatus::Done, 2) : first;
    EXPECT_EQ(status, ToQt(SyncReportText(last)));
    if (!first.detail.empty()) {
        EXPECT_TRUE(status.contains(QStringLiteral("self-signed")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, SyncDialogPass,
    ::testing::Values(
        PassCase{"Done", SyncStatus::Done, false, false, 1, false, false},
        PassCase{"Unreachable", SyncStatus::Unreachable, false, false, 1, false, false},
        PassCase{"Certificate", SyncStatus::Certificate, false, false, 1, false, false},
        PassCase{"CollectionsMade", SyncStatus::NoCollections, true, true, 2, true, false},
        PassCase{"CollectionsDeclined", SyncStatus::NoCollections, true, false, 1, false, false},
        PassCase{"DeletesConfirmed", SyncStatus::MassDelete, true, true, 2, false, true},
        PassCase{"DeletesDeclined", SyncStatus::MassDelete, true, false, 1, false, false}),
    [](const ::testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane

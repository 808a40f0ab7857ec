// "同步…": the account of the user's own CalDAV/CardDAV server (address,
// user, password), whether plain http to another machine is allowed, and the
// last outcome. 保存 writes the address and user to sys.ini and the password
// to the desktop's secret store (never to sys.ini); 立即同步 saves the same
// way and syncs at once, staying open to show what came of it.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "dialogs/formbase.h"
#include "logic/syncengine.h"
#include "logic/syncsettings.h"

namespace korvane {

class SyncService;
struct SyncOutcome;
class Tsmsf;

class SyncDialog : public FormDialog {
    Q_OBJECT
  public:
    // `service` runs the passes and keeps the account's file and secret
    // store; `messages` asks the questions a pass may raise.
    SyncDialog(QWidget* parent, SyncService& service, Tsmsf& messages);

    QLineEdit* UrlEdit;         // 服务器地址
    QLineEdit* UserEdit;        // 用户名
    QLineEdit* PasswordEdit;    // 密码
    QCheckBox* PlainHttpBox;    // 允许不加密的连接（http）
    QLabel* PlainHttpWarning;   // shown while the box is ticked
    QLabel* StatusLabel;        // the last outcome, or what is going on
    QPushButton* SyncButton;    // 立即同步
    QPushButton* SaveButton;    // 保存
    QPushButton* CancelButton;  // 取消

  protected:
    // Escape is 取消; Enter presses the focused button as in every dialog.
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    SyncSettings Typed() const;
    // Writes the typed account; `then` hears how much of it was kept.
    enum class Saved { All, WithoutPassword, Nothing };
    void Save(std::function<void(Saved saved)> then);
    void SaveClick();
    void SyncClick();
    void RunPass(const SyncOptions& options);
    void PassDone(const SyncOptions& options, const SyncOutcome& outcome);
    void AskAgain(const SyncOptions& options, const SyncReport& report);
    void ReadStoredPassword();
    void SetBusy(bool busy);
    void ShowStatus(const QString& text, bool failure);

    SyncService& service_;
    Tsmsf& messages_;
    SyncSettings loaded_;
    QString storedPassword_;  // what the secret store held when the dialog opened
    QString storeError_;      // the secret store's refusal at the last save
};

}  // namespace korvane

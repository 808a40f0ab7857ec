#include "dialogs/accessnames.h"

#include <QAbstractItemView>
#include <QLabel>

#include "dialogs/contacteditor.h"
#include "dialogs/formbase.h"
#include "dialogs/historydialog.h"
#include "dialogs/messagebox.h"
#include "dialogs/noteeditor.h"
#include "dialogs/qttext.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QChar(0x3000);
}

// Letters of a script written without spaces between words.
bool IsUnspaced(QChar c) {
    return c.unicode() >= 0x2E80;
}

}  // namespace

QString SpokenCaption(const QString& caption) {
    QString text = caption.trimmed();
    while (text.endsWith(QChar(0xFF1A)) || text.endsWith(QLatin1Char(':'))) text.chop(1);
    text = text.trimmed();
    QString spoken;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool between =
            i > 0 && i + 1 < text.size() && IsUnspaced(text[i - 1]) && IsUnspaced(text[i + 1]);
        if (IsBlank(text[i]) && (between || (i > 0 && IsBlank(text[i - 1])))) continue;
        spoken += text[i];
    }
    return spoken;
}

void NameAfterCaption(QWidget* field, QLabel* caption) {
    caption->setBuddy(field);
    field->setAccessibleName(SpokenCaption(caption->text()));
}

void NameForReaders(TNE& editor) {
    NameAfterCaption(editor.Edit1, editor.Label1);
    NameAfterCaption(editor.Memo1, editor.Label2);
    NameAfterCaption(editor.Edit2, editor.Label3);
    editor.Edit2->setAccessibleDescription(ToQt(Ui::tr("保存时记下的时间")));
    editor.Button3->setAccessibleDescription(ToQt(Ui::tr("打开表情和格式的选板")));
    editor.PL_EM->setAccessibleName(ToQt(Ui::tr("表情和格式")));
    for (PictureButton* picture : editor.Pictures) {
        picture->setAccessibleName(ToQt(Ui::tr("表情 %1")).arg(TagOf(picture) + 1));
        picture->setAccessibleDescription(ToQt(Ui::tr("插入到内容")));
    }
    editor.Image->setAccessibleName(ToQt(Ui::tr("表情")));
}

void NameForReaders(Tfcon& editor) {
    NameAfterCaption(editor.Edit1, editor.Label1);
    NameAfterCaption(editor.Edit2, editor.Label2);
    NameAfterCaption(editor.Memo1, editor.Label3);
    NameAfterCaption(editor.Edit3, editor.Label4);
    editor.Edit3->setAccessibleDescription(ToQt(Ui::tr("保存时记下的时间")));
    editor.Button3->setAccessibleDescription(ToQt(Ui::tr("插入 QQ、MSN、Skype 或阿里旺旺帐号")));
    editor.CB1->setAccessibleName(ToQt(Ui::tr("聊天工具")));
    editor.CB1->view()->setAccessibleName(editor.CB1->accessibleName());
    editor.EDB->setAccessibleName(ToQt(Ui::tr("帐号")));
}

void NameForReaders(Tsmsf& box) {
    box.Memo1->setAccessibleName(ToQt(Ui::tr("消息")));
}

void NameForReaders(HistoryDialog& dialog) {
    dialog.Versions->setAccessibleName(ToQt(Ui::tr("版本")));
    dialog.DiffView->setAccessibleName(ToQt(Ui::tr("改动")));
    dialog.OldView->setAccessibleName(ToQt(Ui::tr("所选版本")));
    dialog.NewView->setAccessibleName(ToQt(Ui::tr("当前内容")));
}

}  // namespace korvane

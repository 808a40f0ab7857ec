#include "mainwindow/pagetexts.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "dialogs/qttext.h"
#include "platform/uitext.h"

namespace korvane {
namespace {

// Every Chinese text of main.html and main.js, as they write it. The page
// keeps its own Chinese as the fallback for a text missing here.
constexpr const char* kPageTexts[] = {
    QT_TRANSLATE_NOOP("Ui", "记事本"),
    QT_TRANSLATE_NOOP("Ui", "联系人"),
    QT_TRANSLATE_NOOP("Ui", "回收站"),
    QT_TRANSLATE_NOOP("Ui", "最近 30 天删除的记事和联系人"),
    QT_TRANSLATE_NOOP("Ui", "在线更新"),
    QT_TRANSLATE_NOOP("Ui", "关闭程序并运行更新程序"),
    QT_TRANSLATE_NOOP("Ui", "再次点击确认更新"),
    QT_TRANSLATE_NOOP("Ui", "恢复标准窗口"),
    QT_TRANSLATE_NOOP("Ui", "查找记事和联系人"),
    QT_TRANSLATE_NOOP("Ui", "查找记事和联系人 (Ctrl+F)"),
    QT_TRANSLATE_NOOP("Ui", "查找回收站"),
    QT_TRANSLATE_NOOP("Ui", "正在载入…"),
    QT_TRANSLATE_NOOP("Ui", "已删除"),
    QT_TRANSLATE_NOOP("Ui", "撤销"),
    QT_TRANSLATE_NOOP("Ui", "展开全文"),
    QT_TRANSLATE_NOOP("Ui", "收起"),
    QT_TRANSLATE_NOOP("Ui", "编辑"),
    QT_TRANSLATE_NOOP("Ui", "删除"),
    // Said to screen readers alone.
    QT_TRANSLATE_NOOP("Ui", "记事列表"),
    QT_TRANSLATE_NOOP("Ui", "联系人列表"),
    QT_TRANSLATE_NOOP("Ui", "查找结果"),
    QT_TRANSLATE_NOOP("Ui", "无标题"),
    QT_TRANSLATE_NOOP("Ui", "电话"),
    QT_TRANSLATE_NOOP("Ui", "，"),
};

}  // namespace

QString PageTextsJson() {
    QJsonObject texts;
    for (const char* text : kPageTexts) {
        const QString source = QString::fromUtf8(text);
        const QString shown = ToQt(Ui::tr(text));
        if (shown != source) texts.insert(source, shown);
    }
    return QString::fromUtf8(QJsonDocument(texts).toJson(QJsonDocument::Compact));
}

}  // namespace korvane

// The page's own texts in English: the table the program hands the page
// before its start-up call replaces every Chinese text of main.html and
// main.js outside the list; without the table the page keeps its Chinese.
#include <gtest/gtest.h>

#include "mainwindow/language.h"
#include "mainwindow/pagetexts.h"
#include "page_harness.h"

namespace korvane {
namespace {

using test::JsString;

// The page's texts outside the list, and the named attributes of its
// elements, as one text.
constexpr char kShownTexts[] =
    "(function () {"
    "  var copy = document.body.cloneNode(true);"
    "  var list = copy.querySelector('#MyWinS');"
    "  if (list) list.remove();"
    "  var texts = [copy.textContent];"
    "  copy.querySelectorAll('*').forEach(function (e) {"
    "    ['title', 'placeholder', 'aria-label'].forEach(function (n) {"
    "      if (e.hasAttribute(n)) texts.push(e.getAttribute(n));"
    "    });"
    "  });"
    "  return texts.join('\\n');"
    "})()";

// The label the stylesheet puts before a contact's telephone.
constexpr char kTelLabel[] =
    "getComputedStyle(document.documentElement).getPropertyValue('--tel-label').trim()";

bool HasCjk(const QString& text) {
    static const QRegularExpression cjk(QStringLiteral("[\\x{3000}-\\x{303F}\\x{4E00}-\\x{9FFF}]"));
    return text.contains(cjk);
}

// The English table, made with the English texts installed for this call
// only: the rest of the process keeps the Chinese ones.
QString EnglishTable() {
    EXPECT_TRUE(InstallLanguage(UiLanguage::English));
    const QString json = PageTextsJson();
    InstallLanguage(UiLanguage::Chinese);
    return json;
}

class PageEnglish : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        harness_ = std::make_unique<test::PageHarness>(app_);
        ASSERT_TRUE(harness_->loaded());
    }
    void TearDown() override {
        if (harness_) {
            EXPECT_TRUE(harness_->page().errors.empty());
        }
    }

    test::AppFolder app_;
    std::unique_ptr<test::PageHarness> harness_;
};

TEST_F(PageEnglish, TheTableTurnsEveryTextOfThePageIntoEnglish) {
    test::PageHarness& page = *harness_;
    ASSERT_TRUE(HasCjk(page.Js(kShownTexts).toString())) << "the page starts in Chinese";
    page.Js("window.kvTexts = JSON.parse(" + JsString(EnglishTable()) + "); BodyLoad();");
    const QString shown = page.Js(kShownTexts).toString();
    EXPECT_FALSE(HasCjk(shown)) << shown.toStdString();
    EXPECT_EQ(page.Js("document.getElementById('tabTrash').textContent").toString(), "Trash");
    EXPECT_EQ(page.Js("document.getElementById('findBox').placeholder").toString(),
              "Find notes and contacts");
    // The texts main.js makes as it goes.
    for (const char* text : {"展开全文", "收起", "查找回收站", "再次点击确认更新", "正在载入…"}) {
        const QString english =
            page.Js(QString("T(") + JsString(QString::fromUtf8(text)) + ")").toString();
        EXPECT_FALSE(english.isEmpty() || HasCjk(english)) << text;
    }
    EXPECT_EQ(page.Js("ToolName('Ed') + '/' + ToolName('De')").toString(), "Edit/Delete");
    // The stylesheet's label before a contact's telephone.
    EXPECT_EQ(page.Js(kTelLabel).toString(), "\"Phone \"");
}

TEST_F(PageEnglish, WithoutATableThePageKeepsItsChinese) {
    test::PageHarness& page = *harness_;
    page.Js("window.kvTexts = JSON.parse('{}'); BodyLoad();");
    EXPECT_EQ(page.Js("document.getElementById('tabTrash').textContent").toString(),
              QString::fromUtf8("回收站"));
    EXPECT_EQ(page.Js("T('展开全文') + ToolName('Ed')").toString(),
              QString::fromUtf8("展开全文编辑"));
    EXPECT_EQ(page.Js(kTelLabel).toString(), QString::fromUtf8("\"电话 \""));
    // A table that is no object leaves the texts as they are too.
    page.Js("window.kvTexts = 'x';");
    EXPECT_EQ(page.Js("T('收起')").toString(), QString::fromUtf8("收起"));
}

}  // namespace
}  // namespace korvane

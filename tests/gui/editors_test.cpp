// What the note editor and the contact editor do alike, one typed suite over
// both: placement over the main window, saving new and edited records with
// every outcome the store can report, records gone or unreadable, fields the
// store holds as no text, texts GBK lacks, drafts kept until saved, and the
// record's history: its versions, what changed, a version restored.
#include <QDateTime>
#include <QTextBlock>
#include <QTextDocument>
#include <type_traits>

#include "base/linediff.h"
#include "dialogs/drafts.h"
#include "dialogs/historydialog.h"
#include "gui/dialog_driver.h"
#include "store/keeping.h"
#include "store/records.h"

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

using Texts = std::vector<QString>;
using Table = std::vector<std::vector<std::string>>;

// The note editor: a title and a body; Edit2 is the time.
struct NoteEditorTraits {
    using Editor = TNE;
    static constexpr const char* kDraft = "note";
    static constexpr int kState = 0;
    static constexpr QSize kDesigned{505, 362};
    static constexpr bool kClearedOnClose = true;  // the close box empties the form
    // The stored columns in the order of the form's fields; the last one is
    // the multi-line Memo1.
    static std::vector<std::string> Columns() { return {"title", "content"}; }
    static Texts Fields(const TNE& e) { return {e.Edit1->text(), e.Memo1->toPlainText()}; }
    static void Fill(TNE& e, const Texts& v) {
        e.Edit1->setText(v[0]);
        e.Memo1->setPlainText(v[1]);
    }
    static QString Time(const TNE& e) { return e.Edit2->text(); }
    // A record typed into each field, and an edit of it.
    static Texts Sample() { return {QString::fromUtf8("旧标题"), QStringLiteral("first\nsecond")}; }
    static Texts Edited() { return {QString::fromUtf8("新标题"), QStringLiteral("first\nsecond")}; }
    static int BlobField() { return 1; }
    static void OpenExtraPanel(TNE& e) { e.Button3->click(); }
    // The controls that follow the width once the editor is `grown` wider.
    static void ExpectGrownLayout(const TNE& e, int grown) {
        EXPECT_EQ(e.Edit1->geometry(), QRect(39, 16, 444 + grown, 21));
        EXPECT_EQ(e.Memo1->geometry(), QRect(39, 48, 443 + grown, 229));
        EXPECT_EQ(e.Button2->geometry(), QRect(423 + grown, 332, 75, 25));
        EXPECT_EQ(e.PL_EM->geometry(), QRect(46, 80, 147, 197));
    }
};

// The contact editor: a name, a telephone and a remark; Edit3 is the time.
struct ContactEditorTraits {
    using Editor = Tfcon;
    static constexpr const char* kDraft = "contact";
    static constexpr int kState = 1;
    static constexpr QSize kDesigned{507, 284};
    static constexpr bool kClearedOnClose = false;
    static std::vector<std::string> Columns() { return {"title", "tel", "content"}; }
    static Texts Fields(const Tfcon& e) {
        return {e.Edit1->text(), e.Edit2->text(), e.Memo1->toPlainText()};
    }
    static void Fill(Tfcon& e, const Texts& v) {
        e.Edit1->setText(v[0]);
        e.Edit2->setText(v[1]);
        e.Memo1->setPlainText(v[2]);
    }
    static QString Time(const Tfcon& e) { return e.Edit3->text(); }
    static Texts Sample() {
        return {QString::fromUtf8("李四"), QStringLiteral("123"), QStringLiteral("a\nb")};
    }
    static Texts Edited() {
        return {QString::fromUtf8("李四"), QStringLiteral("123"),
                QString::fromUtf8("a\nb\n\U0001F4DE")};
    }
    static int BlobField() { return 1; }
    static void OpenExtraPanel(Tfcon& e) {
        e.Button3->click();
        e.CB1->setCurrentIndex(3);
        e.EDB->setText(QStringLiteral("xiaoming"));
    }
    static void ExpectGrownLayout(const Tfcon& e, int grown) {
        EXPECT_EQ(e.Panel1->geometry(), QRect(8, 8, 490 + grown, 238));
        EXPECT_EQ(e.Edit1->geometry(), QRect(64, 16, 418 + grown, 21));
        EXPECT_EQ(e.Memo1->geometry(), QRect(64, 72, 418 + grown, 130));
        EXPECT_EQ(e.Button2->geometry(), QRect(423 + grown, 250, 75, 25));
        EXPECT_EQ(e.PL_TXT->geometry(), QRect(70, 96, 168, 101));
    }
};

// The stored form of a typed text: GBK bytes with CR LF breaks.
std::string StoredForm(const QString& typed) {
    return FromQt(QString(typed).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

template <typename Traits>
class Editors : public DialogTest {
  protected:
    using Editor = typename Traits::Editor;

    Editor& E() {
        if constexpr (std::is_same_v<Editor, TNE>) {
            return *NE;
        } else {
            return *fcon;
        }
    }

    // Stores a record of this editor's kind holding `values` (code page) in
    // its columns; returns its number.
    int Insert(const std::vector<std::string>& values) {
        const std::vector<std::string> columns = Traits::Columns();
        std::string names, literals;
        for (size_t i = 0; i < columns.size(); ++i) {
            names += columns[i] + ",";
            literals += "'" + values[i] + "',";
        }
        EXPECT_EQ(ExecSql("INSERT INTO mylist(" + names + "state,cre_date)VALUES(" + literals +
                          std::to_string(Traits::kState) + ",'2020-01-01 00:00:00')"),
                  "Done");
        return std::stoi(Rows("SELECT max(ID) FROM mylist")[0][0]);
    }
    int Insert(const Texts& typed) {
        std::vector<std::string> values;
        for (const QString& text : typed) values.push_back(StoredForm(text));
        return Insert(values);
    }

    // The record's columns (code page), or every record's when `id` is 0.
    Table Stored(int id = 0, const std::string& extra = "") {
        std::string names;
        for (const std::string& column : Traits::Columns()) {
            names += (names.empty() ? "" : ",") + column;
        }
        return Rows("SELECT " + names + extra + " FROM mylist" +
                    (id > 0 ? " WHERE ID=" + std::to_string(id) : " ORDER BY ID"));
    }
    static Table Row(const Texts& typed) {
        std::vector<std::string> row;
        for (const QString& text : typed) row.push_back(StoredForm(text));
        return {row};
    }

    // Opens the editor on `recordId` and runs `action` once it is up.
    void Open(int recordId, const std::function<void()>& action) {
        E().RecordId = recordId;
        WhenModal(&E(), action);
        E().exec();
    }

    // Stores `typed` over record `id` as the editor's save does, the replaced
    // version going into the history at `now`.
    void SaveOver(int id, const Texts& typed, int64_t now) {
        std::vector<RecordField> fields;
        for (size_t i = 0; i < typed.size(); ++i) {
            fields.push_back({Traits::Columns()[i], StoredForm(typed[i])});
        }
        ASSERT_TRUE(SaveRecord(static_cast<RecordKind>(Traits::kState), id, fields,
                               "2024-05-06 07:08:09", now)
                        .Ok());
    }

    // Every stored value of record `id` with its storage type.
    std::string Quoted(int id) {
        return Rows(
            "SELECT quote(title)||quote(content)||quote(tel)||quote(state) FROM mylist "
            "WHERE ID=" +
            std::to_string(id))[0][0];
    }

    // Opens the editor on `id`, presses 历史版本… and runs `action` once the
    // history is up; the editor closes afterwards unless `action` closed it.
    void InHistory(int id, const std::function<void(HistoryDialog&)>& action) {
        Open(id, [&] {
            ASSERT_TRUE(E().HistoryButton->isEnabled());
            WhenHistory(action);
            E().HistoryButton->click();
            if (E().isVisible()) E().Button2->click();
        });
    }

    // Runs `action` once a history dialog is the innermost modal dialog.
    static void WhenHistory(const std::function<void(HistoryDialog&)>& action,
                            int triesLeft = 1000) {
        QTimer::singleShot(5, [=] {
            auto* history = qobject_cast<HistoryDialog*>(QApplication::activeModalWidget());
            if (history != nullptr && history->isVisible()) {
                action(*history);
            } else if (triesLeft <= 0) {
                ADD_FAILURE() << "the history never came up";
                CloseStrayModals();
            } else {
                WhenHistory(action, triesLeft - 1);
            }
        });
    }

    fs::path DraftFile(int recordId) {
        return platform::NativePath(DraftPath({Traits::kDraft, recordId}));
    }

    // Types the sample and presses save, which the store refuses: its text
    // exactly as it came, with the fields kept for another try.
    std::string TrySave() {
        std::string notice;
        Open(0, [&] {
            Traits::Fill(E(), Traits::Sample());
            AnswerNextMessage(&notice);
            E().Button1->click();
            EXPECT_EQ(Traits::Fields(E()), Traits::Sample());
            E().Button2->click();
        });
        EXPECT_FALSE(E().Saved);
        return notice;
    }
};

using EditorKinds = ::testing::Types<NoteEditorTraits, ContactEditorTraits>;
class EditorNames {
  public:
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, NoteEditorTraits> ? "Note" : "Contact";
    }
};
TYPED_TEST_SUITE(Editors, EditorKinds, EditorNames);

TYPED_TEST(Editors, PlacedAcrossTheMainWindowWithItsControlsFollowingTheWidth) {
    auto& e = this->E();
    this->main_.setGeometry(40, 30, 900, 700);
    e.resize(this->main_.width() - 10, e.height());
    e.move(this->main_.x() + 5, e.y());
    this->Open(0, [&] {
        EXPECT_EQ(e.x(), this->main_.x() + 5);
        EXPECT_EQ(e.width(), 890);
        EXPECT_LE(
            std::abs(e.frameGeometry().center().y() - this->main_.frameGeometry().center().y()), 1);
        TypeParam::ExpectGrownLayout(e, 890 - TypeParam::kDesigned.width());
        e.Button2->click();
    });
}

// The designed size, with the palette or messenger panel open.
TYPED_TEST(Editors, ShowsAtItsDesignedSize) {
    auto& e = this->E();
    this->Open(0, [&] {
        TypeParam::Fill(e, TypeParam::Sample());
        TypeParam::OpenExtraPanel(e);
        EXPECT_EQ(e.grab().size(), TypeParam::kDesigned);
        e.Button2->click();
    });
}

TYPED_TEST(Editors, NothingToSaveKeepsTheFieldsAndClosingUnsavedLeavesSavedFalse) {
    auto& e = this->E();
    // Blanks only, or (for a contact) a remark without a name or telephone.
    Texts blank(TypeParam::Columns().size(), QStringLiteral(" \t "));
    blank.back() = std::is_same_v<TypeParam, ContactEditorTraits> ? QStringLiteral("remark only")
                                                                  : QStringLiteral("\n \n");
    std::string notice;
    this->Open(0, [&] {
        TypeParam::Fill(e, blank);
        this->AnswerNextMessage(&notice);
        e.Button1->click();
        EXPECT_TRUE(e.isVisible());
        EXPECT_EQ(TypeParam::Fields(e), blank);
        e.close();  // the close box
    });
    EXPECT_EQ(Utf8(notice), "要保存,总得写点什么吧.谢谢您的使用");
    EXPECT_FALSE(e.Saved);
    EXPECT_TRUE(Rows("SELECT ID FROM mylist").empty());
    if (TypeParam::kClearedOnClose) {
        for (const QString& field : TypeParam::Fields(e)) EXPECT_TRUE(field.isEmpty());
    }
}

TYPED_TEST(Editors, EditSaveUpdatesTheRecordClosesAndTheNextShowingIsNew) {
    auto& e = this->E();
    const int id = this->Insert(TypeParam::Sample());
    QString time;
    this->Open(id, [&] {
        EXPECT_EQ(TypeParam::Fields(e), TypeParam::Sample());
        time = TypeParam::Time(e);
        TypeParam::Fill(e, TypeParam::Edited());
        e.Button1->click();  // closes the editor, no notice
    });
    EXPECT_TRUE(e.Saved);
    EXPECT_EQ(e.RecordId, 0);
    EXPECT_EQ(this->Stored(id, ",state,cre_date"), (Table{[&] {
                  auto row = this->Row(TypeParam::Edited())[0];
                  row.push_back(std::to_string(TypeParam::kState));
                  row.push_back(FromQt(time));
                  return row;
              }()}));

    // The next showing without a record number is a new record again.
    this->Open(0, [&] {
        for (const QString& field : TypeParam::Fields(e)) EXPECT_TRUE(field.isEmpty());
        EXPECT_FALSE(e.Saved);
        e.Button2->click();
    });
    EXPECT_FALSE(e.Saved);
    EXPECT_EQ(Rows("SELECT count(*) FROM mylist")[0][0], "1");
}

TYPED_TEST(Editors, AVanishedRecordIsNotSilentlyLostOnSave) {
    auto& e = this->E();
    std::string notice, notice2;
    this->Open(999, [&] {
        // The form says there is no such record: N-1 and the store's text.
        const Texts shown = TypeParam::Fields(e);
        EXPECT_EQ(Utf8(shown[0]), "N-1");
        EXPECT_EQ(Utf8(shown[1]), "没有数据,请立即新增！");
        e.Memo1->setPlainText("typed meanwhile");
        this->AnswerNextMessage(&notice);
        e.Button1->click();
        EXPECT_TRUE(e.isVisible());
        EXPECT_EQ(e.Memo1->toPlainText(), "typed meanwhile");
        this->AnswerNextMessage(&notice2);
        e.Button1->click();  // now saved as a new record
        e.Button2->click();
    });
    EXPECT_EQ(Utf8(notice), "没有数据,请立即新增！");
    EXPECT_EQ(Utf8(notice2), "保存成功");
    EXPECT_TRUE(e.Saved);
    EXPECT_EQ(Rows("SELECT content,state FROM mylist"),
              (Table{{"typed meanwhile", std::to_string(TypeParam::kState)}}));
}

// A page command can carry a negative record number ("EdNo-3"); the editor
// then shows an empty form, and what the user types there must be stored as
// a new record, not lost in an update that matches no row.
TYPED_TEST(Editors, ANegativeRecordNumberSavesANewRecord) {
    auto& e = this->E();
    std::string notice;
    this->Open(-3, [&] {
        for (const QString& field : TypeParam::Fields(e)) EXPECT_TRUE(field.isEmpty());
        TypeParam::Fill(e, TypeParam::Sample());
        this->AnswerNextMessage(&notice);
        e.Button1->click();
        e.Button2->click();
    });
    EXPECT_EQ(Utf8(notice), "保存成功");
    EXPECT_EQ(this->Stored(0, ",state"), (Table{[&] {
                  auto row = this->Row(TypeParam::Sample())[0];
                  row.push_back(std::to_string(TypeParam::kState));
                  return row;
              }()}));
}

TYPED_TEST(Editors, CharactersOutsideGbkSurviveSaveAndLoad) {
    auto& e = this->E();
    // An emoji, a CJK extension B character and a no-break space have no GBK
    // form; GB18030 stores each as four bytes and gives it back unchanged.
    const QString line = QString::fromUtf8("笑\U0001F600 𠀀");
    const QString body = QString::fromUtf8("\u00A0a\U0001F431\nb");
    Texts typed(TypeParam::Columns().size(), line);
    typed.back() = body;
    this->Open(0, [&] {
        TypeParam::Fill(e, typed);
        this->AnswerNextMessage();
        e.Button1->click();
        e.Button2->click();
    });
    std::vector<std::string> expected(typed.size(), Cp("笑") + "\x94\x39\xFC\x36 \x95\x32\x82\x36");
    expected.back() =
        "\x81\x30\x84\x32"
        "a\x94\x39\xCE\x33\r\nb";
    EXPECT_EQ(this->Stored(), Table{expected});

    this->Open(std::stoi(Rows("SELECT ID FROM mylist")[0][0]), [&] {
        Texts shown = TypeParam::Fields(e);
        shown.pop_back();
        EXPECT_EQ(shown, Texts(typed.size() - 1, line));
        EXPECT_EQ(e.Memo1->document()->toRawText(),
                  QString(body).replace(QLatin1Char('\n'), QChar(QChar::ParagraphSeparator)));
        e.Button2->click();
    });
}

TYPED_TEST(Editors, AMissingDatabaseTextIsShownUnrendered) {
    CloseDatabase();
    fs::remove(this->app_.path() / "hd" / "glst.mysql.root");
    EXPECT_EQ(this->TrySave(), texts::DatabaseMissing());
}

TYPED_TEST(Editors, AMissingTableIsShownAndTheFieldsAreKept) {
    ASSERT_EQ(ExecSql("DROP TABLE mylist"), "Done");
    EXPECT_EQ(Utf8(this->TrySave()), "无法完成！数据库有问题！请重新安装");
}

TYPED_TEST(Editors, AFailedStatementShowsTheFailureNotice) {
    // A record of the same title already stored and titles made unique: the
    // save's statement fails (a trigger would not run: the program runs no
    // SQL a notebook brings).
    this->Insert(TypeParam::Sample());
    ASSERT_EQ(ExecSql("CREATE UNIQUE INDEX refuse ON mylist (title)"), "Done");
    EXPECT_EQ(this->TrySave(), texts::SaveFailed(texts::SaveFailure::Failed));
}

TYPED_TEST(Editors, ARecordThatCouldNotBeReadIsNeverSavedOver) {
    auto& e = this->E();
    const int id = this->Insert(TypeParam::Sample());
    std::string shownAtOpen, shownAtSave;
    {
        // Another program holds the notebook while the editor opens.
        TSQLiteDatabase other(AppPath("hd\\glst.mysql"));
        other.Execute("BEGIN EXCLUSIVE");
        this->AnswerNextMessage(&shownAtOpen);
        this->Open(id, [&] {
            other.Execute("ROLLBACK");
            // Once the notice of the failed read has closed.
            QTimer::singleShot(100, [&] {
                WhenModal(&e, [&] {
                    e.Edit1->setText(QStringLiteral("typed"));
                    this->AnswerNextMessage(&shownAtSave);
                    e.Button1->click();
                    e.Button2->click();
                });
            });
        });
    }
    EXPECT_NE(Utf8(shownAtOpen).find("无法读取这条记录"), std::string::npos) << Utf8(shownAtOpen);
    EXPECT_NE(Utf8(shownAtSave).find("无法读取这条记录"), std::string::npos) << Utf8(shownAtSave);
    EXPECT_NE(Utf8(shownAtSave).find("不能保存"), std::string::npos) << Utf8(shownAtSave);
    EXPECT_FALSE(e.Saved);
    EXPECT_EQ(this->Stored(id), this->Row(TypeParam::Sample()));
}

// A field the store holds as no text (a blob) is never written back, even
// when typed over; the other fields are saved.
TYPED_TEST(Editors, AFieldNotStoredAsTextIsLeftAsItIs) {
    auto& e = this->E();
    const int id = this->Insert(TypeParam::Sample());
    const std::string blob = TypeParam::Columns()[TypeParam::BlobField()];
    ASSERT_EQ(ExecSql("UPDATE mylist SET " + blob + "=X'0041' WHERE ID=" + std::to_string(id)),
              "Done");
    this->Open(id, [&] {
        Texts typed = TypeParam::Fields(e);
        typed[0] = QStringLiteral("new title");
        typed[TypeParam::BlobField()] = QStringLiteral("99");
        TypeParam::Fill(e, typed);
        e.Button1->click();
    });
    EXPECT_TRUE(e.Saved);
    EXPECT_EQ(Rows("SELECT title,typeof(" + blob + "),hex(" + blob +
                   ") FROM mylist WHERE ID=" + std::to_string(id)),
              (Table{{"new title", "blob", "0041"}}));
}

// What was typed comes back, with the notice, at the next opening for the
// same record until it is saved; the save removes the draft and the stored
// text shows next.
TYPED_TEST(Editors, EveryFieldOfADraftComesBackUntilSaved) {
    auto& e = this->E();
    const int id = this->Insert(TypeParam::Sample());
    this->Open(id, [&] {
        EXPECT_FALSE(e.DraftNotice->isVisible());
        TypeParam::Fill(e, TypeParam::Edited());
        e.close();
    });
    ASSERT_TRUE(fs::exists(this->DraftFile(id)));
    this->Open(id, [&] {
        EXPECT_EQ(TypeParam::Fields(e), TypeParam::Edited());
        EXPECT_TRUE(e.DraftNotice->isVisible());
        EXPECT_EQ(Utf8(e.DraftNotice->text()), "已恢复上次未保存的内容");
        e.Button1->click();  // saves and closes
    });
    EXPECT_TRUE(e.Saved);
    EXPECT_FALSE(fs::exists(this->DraftFile(id)));
    EXPECT_EQ(this->Stored(id), this->Row(TypeParam::Edited()));
    this->Open(id, [&] {
        EXPECT_EQ(TypeParam::Fields(e), TypeParam::Edited());
        EXPECT_FALSE(e.DraftNotice->isVisible());
        e.Button2->click();
    });
}

// The button shows only for a stored record, and waits for a first version.
TYPED_TEST(Editors, TheHistoryButtonIsForAStoredRecordWithVersions) {
    auto& e = this->E();
    this->Open(0, [&] {
        EXPECT_FALSE(e.HistoryButton->isVisible());
        e.Button2->click();
    });
    const int id = this->Insert(TypeParam::Sample());
    this->Open(id, [&] {
        EXPECT_TRUE(e.HistoryButton->isVisible());
        EXPECT_FALSE(e.HistoryButton->isEnabled());
        EXPECT_NE(Utf8(e.HistoryButton->toolTip()).find("还没有历史版本"), std::string::npos);
        TypeParam::Fill(e, TypeParam::Edited());
        e.Button1->click();  // the first version
    });
    this->Open(id, [&] {
        EXPECT_TRUE(e.HistoryButton->isEnabled());
        e.Button2->click();
    });
    this->Open(999, [&] {  // no such record
        EXPECT_FALSE(e.HistoryButton->isVisible());
        e.Button2->click();
    });
}

// The current text on top, then the versions newest first with their dates;
// the chosen one against the current text, line by line, field by field.
TYPED_TEST(Editors, TheHistoryListsTheVersionsAndShowsWhatChangedLineByLine) {
    Texts first = TypeParam::Sample();
    first.back() = QStringLiteral("kept\nold line\nend");
    Texts second = first;
    second[0] = QStringLiteral("second title");
    Texts third = second;
    third.back() = QStringLiteral("kept\nnew line\nadded\nend");
    const int id = this->Insert(first);
    this->SaveOver(id, second, 1'700'000'000);
    this->SaveOver(id, third, 1'700'000'100);
    this->InHistory(id, [&](HistoryDialog& h) {
        ASSERT_EQ(h.Versions->count(), 3);
        EXPECT_TRUE(Utf8(h.Versions->item(0)->text()).starts_with("当前\nsecond title"));
        // Each version with its own save date and when it was replaced.
        EXPECT_TRUE(Utf8(h.Versions->item(1)->text()).starts_with("2024-05-06 07:08:09 保存\n"));
        EXPECT_TRUE(Utf8(h.Versions->item(2)->text()).starts_with("2020-01-01 00:00:00 保存\n"));
        EXPECT_NE(h.Versions->item(2)->text().indexOf(first[0]), -1);
        const auto replaced = [](int64_t at) {
            return QDateTime::fromSecsSinceEpoch(at).toString(
                       QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                   QStringLiteral(" 被替换\n");
        };
        EXPECT_NE(h.Versions->item(1)->text().indexOf(replaced(1'700'000'100)), -1);
        EXPECT_NE(h.Versions->item(2)->text().indexOf(replaced(1'700'000'000)), -1);
        EXPECT_EQ(h.Versions->currentRow(), 1);  // the newest version
        EXPECT_TRUE(h.RestoreButton->isEnabled());
        const QString body = QStringLiteral("  kept\n- old line\n+ new line\n+ added\n  end");
        EXPECT_NE(h.DiffView->toPlainText().indexOf(body), -1) << Utf8(h.DiffView->toPlainText());
        // A removed line on red, an added one on green.
        const QTextDocument& doc = *h.DiffView->document();
        const auto background = [&](const QString& line) {
            return doc.find(line).block().blockFormat().background().color();
        };
        EXPECT_GT(background(QStringLiteral("- old line")).red(), 200);
        EXPECT_LT(background(QStringLiteral("- old line")).green(), 230);
        EXPECT_GT(background(QStringLiteral("+ added")).green(), 200);
        EXPECT_LT(background(QStringLiteral("+ added")).red(), 230);
        EXPECT_NE(h.DiffView->toPlainText().indexOf(QStringLiteral("没有改动")), -1);  // the title

        h.Versions->setCurrentRow(2);  // the oldest: the title changed too
        EXPECT_NE(h.DiffView->toPlainText().indexOf("- " + first[0] + "\n+ second title"), -1)
            << Utf8(h.DiffView->toPlainText());
        h.Versions->setCurrentRow(0);  // the current text itself
        EXPECT_FALSE(h.RestoreButton->isEnabled());
        EXPECT_EQ(h.DiffView->toPlainText().indexOf(QStringLiteral("- ")), -1);
        EXPECT_NE(h.DiffView->toPlainText().indexOf(QStringLiteral("  new line")), -1);
        h.CloseButton->click();
    });
    EXPECT_FALSE(this->E().Saved);
    EXPECT_EQ(ReadHistory(id).versions.size(), 2u);
}

// A restore is a new save of the version's exact bytes: the editor closes as
// after a save and the text it replaced goes into the history.
TYPED_TEST(Editors, RestoringAVersionSavesItsBytesAndKeepsTheCurrentOne) {
    auto& e = this->E();
    std::vector<std::string> odd(TypeParam::Columns().size(), "\xC4\xE3\x80\xFF <i>x</i>");
    odd.back() = "a\r\n\x81\x30\x84\x32\r\n{EM3EM}";
    const int id = this->Insert(odd);
    const std::string version = this->Quoted(id);
    this->SaveOver(id, TypeParam::Edited(), 1'700'000'000);
    const std::string current = this->Quoted(id);
    this->InHistory(id, [&](HistoryDialog& h) {
        EXPECT_EQ(h.Versions->count(), 2);
        h.RestoreButton->click();  // nothing typed: no question
    });
    EXPECT_FALSE(e.isVisible());
    EXPECT_TRUE(e.Saved);
    EXPECT_EQ(this->Quoted(id), version);
    const RecordHistory history = ReadHistory(id);
    ASSERT_EQ(history.versions.size(), 2u);
    EXPECT_EQ(history.versions[0].title, this->Row(TypeParam::Edited())[0][0]);
    EXPECT_EQ(Rows("SELECT quote(title)||quote(content)||quote(tel)||quote(state) FROM "
                   "korvane_history ORDER BY saved_at DESC,rowid DESC LIMIT 1")[0][0],
              current);
    EXPECT_NE(Rows("SELECT cre_date FROM mylist WHERE ID=" + std::to_string(id))[0][0],
              "2024-05-06 07:08:09");  // dated as a new save
}

// Unsaved typing is not thrown away unasked: No keeps it and the record as it
// was; Yes restores.
TYPED_TEST(Editors, RestoringOverUnsavedChangesAsksFirst) {
    auto& e = this->E();
    const int id = this->Insert(TypeParam::Sample());
    this->SaveOver(id, TypeParam::Edited(), 1'700'000'000);
    Texts typed = TypeParam::Edited();
    typed[0] = QStringLiteral("typed, not saved");
    std::string question;
    this->Open(id, [&] {
        TypeParam::Fill(e, typed);
        this->WhenHistory([&](HistoryDialog& h) {
            this->AnswerNextMessage(&question);  // No has the focus
            h.RestoreButton->click();
            EXPECT_TRUE(h.isVisible());
            h.CloseButton->click();
        });
        e.HistoryButton->click();
        EXPECT_EQ(TypeParam::Fields(e), typed);
        this->WhenHistory([&](HistoryDialog& h) {
            WhenModal(this->smsf, [this] { QTest::mouseClick(this->smsf->BtYes, Qt::LeftButton); });
            h.RestoreButton->click();
        });
        e.HistoryButton->click();
    });
    EXPECT_NE(Utf8(question).find("尚未保存的修改"), std::string::npos) << Utf8(question);
    EXPECT_TRUE(e.Saved);
    EXPECT_EQ(this->Stored(id), this->Row(TypeParam::Sample()));
    EXPECT_EQ(ReadHistory(id).versions.size(), 2u);
    EXPECT_FALSE(fs::exists(this->DraftFile(id)));
}

// Stored markup, scripts and entities are shown as the characters they are,
// in the list, the caption and the differences.
TYPED_TEST(Editors, TheHistoryShowsStoredMarkupAsText) {
    const std::vector<QString> hostile = {
        QStringLiteral("<b>bold</b><img src=x onerror=alert(1)>"),
        QStringLiteral("<script>alert(1)</script>&lt;&amp;"),
        QStringLiteral("<a href=\"javascript:x\">link</a><table><tr><td>cell"),
    };
    for (const QString& text : hostile) {
        Texts typed(TypeParam::Columns().size(), text);
        const int id = this->Insert(typed);
        typed[0] = QStringLiteral("plain");
        this->SaveOver(id, typed, 1'700'000'000);
        this->InHistory(id, [&](HistoryDialog& h) {
            // The list's preview is the start of the title.
            EXPECT_NE(h.Versions->item(1)->text().indexOf(text.left(16)), -1) << Utf8(text);
            EXPECT_NE(h.DiffView->toPlainText().indexOf("- " + text), -1)
                << Utf8(h.DiffView->toPlainText());
            EXPECT_NE(h.DiffView->toPlainText().indexOf("  " + text), -1);
            EXPECT_EQ(h.Caption->textFormat(), Qt::PlainText);
            h.CloseButton->click();
        });
    }
}

// Beyond the bound the two texts are shown whole, side by side.
TYPED_TEST(Editors, TextsTooLongToCompareAreShownSideBySide) {
    Texts typed = TypeParam::Sample();
    QStringList lines;
    for (size_t i = 0; i <= kDiffMaxLines; ++i) lines << QString::number(i);
    typed.back() = lines.join(QLatin1Char('\n'));
    const int id = this->Insert(typed);
    typed.back() += QStringLiteral("\nlast");
    this->SaveOver(id, typed, 1'700'000'000);
    this->InHistory(id, [&](HistoryDialog& h) {
        EXPECT_FALSE(h.DiffView->isVisible());
        EXPECT_TRUE(h.SideBySide->isVisible());
        EXPECT_FALSE(h.OldView->toPlainText().contains(QStringLiteral("last")));
        EXPECT_TRUE(h.NewView->toPlainText().endsWith(QStringLiteral("2000\nlast\n\n")))
            << Utf8(h.NewView->toPlainText().right(30));
        h.CloseButton->click();
    });
}

// A history table that cannot take the replaced version is set aside; the
// save goes on and says so once, naming the table's new name.
TYPED_TEST(Editors, ASaveWhoseHistoryWasSetAsideSaysSo) {
    auto& e = this->E();
    const int id = this->Insert(TypeParam::Sample());
    ASSERT_EQ(ExecSql("CREATE TABLE korvane_history(y)"), "Done");
    std::string notice;
    this->Open(id, [&] {
        TypeParam::Fill(e, TypeParam::Edited());
        this->AnswerNextMessage(&notice);
        e.Button1->click();
    });
    EXPECT_TRUE(e.Saved);
    EXPECT_EQ(this->Stored(id), this->Row(TypeParam::Edited()));
    const std::string told = Utf8(notice);
    EXPECT_TRUE(told.starts_with("记录已保存。")) << told;
    EXPECT_NE(told.find("korvane_history_aside_"), std::string::npos) << told;
    EXPECT_NE(told.find(Utf8(NotebookPath())), std::string::npos) << told;
    EXPECT_EQ(ReadHistory(id).versions.size(), 1u);  // in the new history

    // Told once: the next save says nothing.
    this->Open(id, [&] {
        TypeParam::Fill(e, TypeParam::Sample());
        e.Button1->click();
    });
    EXPECT_TRUE(e.Saved);
    EXPECT_FALSE(e.isVisible());
}

}  // namespace
}  // namespace korvane::test

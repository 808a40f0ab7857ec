// The export and import formats at the sizes of a large notebook: 100,000
// notes written as Markdown, 10,000 contacts written as vCard 3.0, and the
// same 10,000 cards read back (the figures are per record).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "exchange/markdown.h"
#include "exchange/vcard.h"
#include "platform/codepage.h"

namespace {

std::vector<korvane::ExchangedNote> Notes(int count) {
    std::vector<korvane::ExchangedNote> notes;
    notes.reserve(static_cast<size_t>(count));
    const std::string body = korvane::Cp(
        "会议纪要：第一项 <span class=\"TBlank\">重要</span> {EM3EM}\r\n"
        "第二项 <span class=\"Tred\">红字</span> 1. 编号 * 星号 _下划线_\r\n"
        "<a href=\"http://example.com\" target=\"_blank\">链接</a>\r\n");
    for (int i = 0; i < count; ++i)
        notes.push_back(
            {i + 1, korvane::Cp("记事 ") + std::to_string(i), body + body, "2026-12-08 20:52:35"});
    return notes;
}

std::vector<korvane::ExchangedContact> Contacts(int count) {
    std::vector<korvane::ExchangedContact> contacts;
    contacts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        contacts.push_back({i + 1, korvane::Cp("联系人 ") + std::to_string(i),
                            "+86 138 " + std::to_string(10000000 + i),
                            korvane::Cp("同事，住在北京；电话晚上打\r\n{QQ") +
                                std::to_string(100000 + i) + korvane::Cp("QQ} {SPname.") +
                                std::to_string(i) + "SP}",
                            "2026-12-08 20:52:35"});
    return contacts;
}

void BM_NotesToMarkdown(benchmark::State& state) {
    const std::vector<korvane::ExchangedNote> notes = Notes(100000);
    for (auto _ : state) {
        size_t bytes = 0;
        for (const korvane::ExchangedNote& note : notes)
            bytes += korvane::NoteToMarkdown(note).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_NotesToMarkdown)->Unit(benchmark::kMillisecond);

void BM_ContactsToVCard(benchmark::State& state) {
    const std::vector<korvane::ExchangedContact> contacts = Contacts(10000);
    for (auto _ : state) {
        std::string file;
        for (const korvane::ExchangedContact& contact : contacts)
            file += korvane::WriteVCard(contact);
        benchmark::DoNotOptimize(file);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ContactsToVCard)->Unit(benchmark::kMillisecond);

void BM_ReadVCards(benchmark::State& state) {
    std::string file;
    for (const korvane::ExchangedContact& contact : Contacts(10000))
        file += korvane::WriteVCard(contact);
    for (auto _ : state) {
        const korvane::VCardReadResult read = korvane::ReadVCards(file);
        if (read.contacts.size() != 10000) state.SkipWithError("cards lost");
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
    state.counters["file_MB"] = static_cast<double>(file.size()) / (1 << 20);
}
BENCHMARK(BM_ReadVCards)->Unit(benchmark::kMillisecond);

}  // namespace

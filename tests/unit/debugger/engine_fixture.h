// The debug engine driven by scripted events over a real program of each machine (built as the
// stand-ins build, with CodeView): the debuggee's memory and threads are kept here.
#pragma once
#include <gtest/gtest.h>

#include <map>

#include "../testbed/codeview_images.h"
#include "debug_test_util.h"
#include "debugger/debug_queries.h"
#include "debugger/engine.h"
#include "scripted_ui.h"

namespace tarvo::debugger::test_engine {

constexpr std::uint32_t kProcess = 40, kMain = 41, kOther = 42;

// The debuggee: the image's sections at its base, writes kept aside, registers per thread.
struct FakeProcess {
    std::vector<std::uint8_t> image;
    PeHeaders headers;
    std::map<std::uint64_t, std::uint8_t> written;
    std::map<std::uint32_t, Registers> threads;
    bool Read(std::uint64_t address, void* data, std::size_t size) {
        auto* out = static_cast<std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            std::uint64_t a = address + i;
            if (auto w = written.find(a); w != written.end()) {
                out[i] = w->second;
                continue;
            }
            auto at = RvaToOffset(headers, Bytes(image), a - headers.imageBase, 1);
            if (a < headers.imageBase || !at) return false;
            out[i] = image[*at];
        }
        return true;
    }
    std::uint8_t Byte(std::uint64_t address) {
        std::uint8_t b = 0;
        EXPECT_TRUE(Read(address, &b, 1));
        return b;
    }
    ProcessAccess Access() {
        return ProcessAccess{
            [this](std::uint64_t a, void* d, std::size_t n) { return Read(a, d, n); },
            [this](std::uint64_t a, const void* d, std::size_t n) {
                for (std::size_t i = 0; i < n; ++i) written[a + i] = static_cast<const std::uint8_t*>(d)[i];
                return true;
            },
            [this](std::uint64_t a, std::uint8_t b) {
                if (a < headers.imageBase) return false;
                written[a] = b;
                return true;
            },
            [this](std::uint32_t t, Registers& r) {
                if (!threads.count(t)) return false;
                r = threads[t];
                return true;
            },
            [this](std::uint32_t t, const Registers& r) {
                if (!threads.count(t)) return false;
                threads[t] = r;
                return true;
            },
        };
    }
};

inline bool Has(const Reply& r, Notice::Kind kind, const std::string& text = "") {
    for (const Notice& n : r.notices)
        if (n.kind == kind && n.text.find(text) != std::string::npos) return true;
    return false;
}

class EngineRun : public ::testing::TestWithParam<const char*> {
protected:
    test::ScopedScriptedUi ui;
    FakeProcess p;
    Engine e;
    std::uint64_t base = 0;
    void SetUp() override {
        const testbed::test::ConvertedProgram& program = testbed::test::CodeViewSample(GetParam());
        if (!program.skip.empty()) GTEST_SKIP() << program.skip;
        ASSERT_EQ(program.problem, "");
        p.image = program.image;
        ASSERT_TRUE(ReadPeHeaders(Bytes(p.image), p.headers));
        base = p.headers.imageBase;
        p.threads[kMain].general[kSp] = 0x10000;
        e.process = p.Access();
    }
    void TearDown() override { ResetDebugInfo(); }
    DebugEvent Created() {
        DebugEvent ev;
        ev.kind = EventKind::ProcessStart;
        ev.process = kProcess, ev.thread = kMain;
        ev.base = base, ev.start = base + p.headers.entryPoint;
        return ev;
    }
    // Starts the run: the creation event with the image, then the loader's breakpoint.
    void Start(std::vector<SavedBreakpoint> saved = {}) {
        e.saved = std::move(saved);
        DebugEvent created = Created();
        ImageSource source = test::SourceOf("cv_sample.exe", p.image);
        created.image = &source;
        Reply r = e.Handle(created);
        ASSERT_FALSE(r.stop);
        ASSERT_FALSE(e.noDebugInfo);
        loader = Hit(0x7f0000, kMain);
        loader.firstChance = true;
    }
    DebugEvent loader;
    DebugEvent Hit(std::uint64_t address, std::uint32_t thread, std::uint32_t code = kExceptionBreakpoint) {
        DebugEvent ev;
        ev.kind = EventKind::Exception;
        ev.process = kProcess, ev.thread = thread, ev.code = code, ev.address = address;
        if (!p.threads.count(thread)) p.threads[thread].general[kSp] = 0x20000;
        p.threads[thread].ip = code == kExceptionBreakpoint ? address + 1 : address;
        return ev;
    }
    Reply Step(std::uint32_t thread) {
        DebugEvent ev = Hit(p.threads[thread].ip, thread, kExceptionSingleStep);
        return e.Handle(ev);
    }
    LineHit Line(unsigned line) {
        FileHit f = FindSourceFile(debugInfo(), "cv_main.c");
        EXPECT_EQ(f.match, FileMatch::Found);
        return AddressOfLine(debugInfo(), f.module, f.file, line);
    }
};

}  // namespace tarvo::debugger::test_engine

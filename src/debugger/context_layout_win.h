// The portable context layouts checked against the system's own CONTEXT record: a wrong offset
// in registers.h stops the Windows build of either machine instead of corrupting a thread.
#pragma once
#include <windows.h>

#include <cstddef>

#include "debugger/registers.h"

namespace tarvo::debugger::layout_check {

#if defined(_M_X64) || defined(__x86_64__)
inline constexpr const ContextLayout& kNative = kAmd64Context;
static_assert(offsetof(CONTEXT, ContextFlags) == kNative.contextFlags);
static_assert(offsetof(CONTEXT, Rip) == kNative.ip);
static_assert(offsetof(CONTEXT, EFlags) == kNative.eflags);
static_assert(offsetof(CONTEXT, Rax) == kNative.general[kAx]);
static_assert(offsetof(CONTEXT, Rcx) == kNative.general[kCx]);
static_assert(offsetof(CONTEXT, Rdx) == kNative.general[kDx]);
static_assert(offsetof(CONTEXT, Rbx) == kNative.general[kBx]);
static_assert(offsetof(CONTEXT, Rsp) == kNative.general[kSp]);
static_assert(offsetof(CONTEXT, Rbp) == kNative.general[kBp]);
static_assert(offsetof(CONTEXT, Rsi) == kNative.general[kSi]);
static_assert(offsetof(CONTEXT, Rdi) == kNative.general[kDi]);
static_assert(offsetof(CONTEXT, R8) == kNative.general[kR8]);
static_assert(offsetof(CONTEXT, R9) == kNative.general[kR9]);
static_assert(offsetof(CONTEXT, R10) == kNative.general[kR10]);
static_assert(offsetof(CONTEXT, R11) == kNative.general[kR11]);
static_assert(offsetof(CONTEXT, R12) == kNative.general[kR12]);
static_assert(offsetof(CONTEXT, R13) == kNative.general[kR13]);
static_assert(offsetof(CONTEXT, R14) == kNative.general[kR14]);
static_assert(offsetof(CONTEXT, R15) == kNative.general[kR15]);
static_assert(sizeof(CONTEXT::Rip) == kNative.word && sizeof(CONTEXT::Dr7) == kNative.word);
static_assert(offsetof(CONTEXT, FltSave) + offsetof(XMM_SAVE_AREA32, ControlWord) == kNative.fpControl);
static_assert(offsetof(CONTEXT, FltSave) + offsetof(XMM_SAVE_AREA32, StatusWord) == kNative.fpStatus);
static_assert(offsetof(CONTEXT, FltSave) + offsetof(XMM_SAVE_AREA32, TagWord) == kNative.fpTag);
static_assert(sizeof(XMM_SAVE_AREA32::TagWord) == 1 && kNative.abridgedTag);
static_assert(offsetof(CONTEXT, FltSave) + offsetof(XMM_SAVE_AREA32, FloatRegisters) == kNative.fpRegisters);
static_assert(sizeof(M128A) == kNative.fpRegisterStride);
static_assert(CONTEXT_AMD64 == kNative.machineFlag);
#else
inline constexpr const ContextLayout& kNative = kI386Context;
static_assert(offsetof(CONTEXT, ContextFlags) == kNative.contextFlags);
static_assert(offsetof(CONTEXT, Eip) == kNative.ip);
static_assert(offsetof(CONTEXT, EFlags) == kNative.eflags);
static_assert(offsetof(CONTEXT, Eax) == kNative.general[kAx]);
static_assert(offsetof(CONTEXT, Ecx) == kNative.general[kCx]);
static_assert(offsetof(CONTEXT, Edx) == kNative.general[kDx]);
static_assert(offsetof(CONTEXT, Ebx) == kNative.general[kBx]);
static_assert(offsetof(CONTEXT, Esp) == kNative.general[kSp]);
static_assert(offsetof(CONTEXT, Ebp) == kNative.general[kBp]);
static_assert(offsetof(CONTEXT, Esi) == kNative.general[kSi]);
static_assert(offsetof(CONTEXT, Edi) == kNative.general[kDi]);
static_assert(sizeof(CONTEXT::Eip) == kNative.word && sizeof(CONTEXT::Dr7) == kNative.word);
static_assert(offsetof(CONTEXT, FloatSave) + offsetof(FLOATING_SAVE_AREA, ControlWord) == kNative.fpControl);
static_assert(offsetof(CONTEXT, FloatSave) + offsetof(FLOATING_SAVE_AREA, StatusWord) == kNative.fpStatus);
static_assert(offsetof(CONTEXT, FloatSave) + offsetof(FLOATING_SAVE_AREA, TagWord) == kNative.fpTag);
static_assert(offsetof(CONTEXT, FloatSave) + offsetof(FLOATING_SAVE_AREA, RegisterArea) == kNative.fpRegisters);
static_assert(sizeof(FLOATING_SAVE_AREA::RegisterArea) == 8 * kNative.fpRegisterStride);
static_assert(!kNative.abridgedTag);
// The part a program keeps of itself for an attach ends where the extended registers begin.
static_assert(offsetof(CONTEXT, ExtendedRegisters) == kI386SavedContextSize);
static_assert(CONTEXT_i386 == kNative.machineFlag);
#endif

static_assert(sizeof(CONTEXT) == kNative.size);
static_assert(offsetof(CONTEXT, Dr0) == kNative.dr[0]);
static_assert(offsetof(CONTEXT, Dr1) == kNative.dr[1]);
static_assert(offsetof(CONTEXT, Dr2) == kNative.dr[2]);
static_assert(offsetof(CONTEXT, Dr3) == kNative.dr[3]);
static_assert(offsetof(CONTEXT, Dr6) == kNative.dr6);
static_assert(offsetof(CONTEXT, Dr7) == kNative.dr7);
static_assert(offsetof(CONTEXT, SegCs) == kNative.cs);
static_assert(offsetof(CONTEXT, SegDs) == kNative.ds);
static_assert(offsetof(CONTEXT, SegEs) == kNative.es);
static_assert(offsetof(CONTEXT, SegFs) == kNative.fs);
static_assert(offsetof(CONTEXT, SegGs) == kNative.gs);
static_assert(offsetof(CONTEXT, SegSs) == kNative.ss);
static_assert(sizeof(CONTEXT::EFlags) == 4);
static_assert((CONTEXT_CONTROL & ~kNative.machineFlag) == kControl);
static_assert((CONTEXT_INTEGER & ~kNative.machineFlag) == kInteger);
static_assert((CONTEXT_SEGMENTS & ~kNative.machineFlag) == kSegments);
static_assert((CONTEXT_FLOATING_POINT & ~kNative.machineFlag) == kFloating);
static_assert((CONTEXT_DEBUG_REGISTERS & ~kNative.machineFlag) == kDebug);

}  // namespace tarvo::debugger::layout_check

// Message ids of the debugger (see the message table).
#pragma once

#include "binary/binary_messages.h"

namespace tarvo::debugger {

inline constexpr unsigned kMsgCouldNotOpen = 5000;          // "Couldn't open file"
using binary::kMsgUnrecognizedFormat;  // "Unrecognized file format", shared with the other binary readers
inline constexpr unsigned kMsgAttachNoDebugInfo = 5002;     // "Impossible to attach\nNo debug ..."
inline constexpr unsigned kMsgNoDebugInfo = 5003;           // "No debugging information in %s"
inline constexpr unsigned kMsgBadModuleIndex = 5004;        // "Incorrect module index %d"
inline constexpr unsigned kMsgBadStringTable = 5005;        // "Incorrect length of string table"
inline constexpr unsigned kMsgNoEntryFunction = 5006;       // "Impossible to find the entry point. ..."
inline constexpr unsigned kMsgNoEntryModule = 5007;         // "... (_mainCRTStartup)"
inline constexpr unsigned kMsgDamagedSubsections = 5008;    // "%s: %d damaged parts ... skipped"
inline constexpr unsigned kMsgDamagedCodeView = 5009;       // "%s: the CodeView ... is damaged"
inline constexpr unsigned kMsgAmbiguousFile = 5010;         // "%s is the name of more than one ..."

// The debug engine and breakpoints.
inline constexpr unsigned kMsgProgramRunning = 5030;
inline constexpr unsigned kMsgCannotStartDebugger = 5032;
inline constexpr unsigned kMsgCannotAttach = 5033;
inline constexpr unsigned kMsgCannotStartProgram = 5034;
inline constexpr unsigned kMsgFinished = 5035;
inline constexpr unsigned kMsgLogException = 5036;
inline constexpr unsigned kMsgFirstChance = 5037;
inline constexpr unsigned kMsgSecondChance = 5038;
inline constexpr unsigned kMsgLogThread = 5039;
inline constexpr unsigned kMsgLogProcess = 5040;
inline constexpr unsigned kMsgLogChildProcess = 5041;
inline constexpr unsigned kMsgLogThreadExit = 5042;
inline constexpr unsigned kMsgLogExitProcess = 5043;
inline constexpr unsigned kMsgLogLoadDll = 5044;
inline constexpr unsigned kMsgNoDllName = 5045;
inline constexpr unsigned kMsgLogDllBase = 5046;
inline constexpr unsigned kMsgLogDllModules = 5047;
inline constexpr unsigned kMsgLogUnloadDll = 5048;
inline constexpr unsigned kMsgLogDebugString = 5049;
inline constexpr unsigned kMsgBadMz = 5050;
inline constexpr unsigned kMsgBadPe = 5051;
inline constexpr unsigned kMsgEmptyName = 5055;
inline constexpr unsigned kMsgAccessDenied = 5056;
inline constexpr unsigned kMsgBreakFound = 5057;
inline constexpr unsigned kMsgBreakModule = 5058;
inline constexpr unsigned kMsgBreakDll = 5059;
inline constexpr unsigned kMsgBreakFunction = 5060;
inline constexpr unsigned kMsgBreakCaller = 5061;
inline constexpr unsigned kMsgNoCodeAtLine = 5062;
inline constexpr unsigned kMsgNotAModule = 5063;
inline constexpr unsigned kMsgCannotEstablishThe = 5064;
inline constexpr unsigned kMsgCannotEstablish = 5065;
inline constexpr unsigned kMsgNotAllRestored = 5066;
inline constexpr unsigned kMsgRestart = 5067;
inline constexpr unsigned kMsgCannotRestart = 5070;
inline constexpr unsigned kMsgApiFailed = 5071;
inline constexpr unsigned kMsgBreakpointAt = 5072;
inline constexpr unsigned kMsgEraseBreakpoint = 5073;
inline constexpr unsigned kMsgPropertiesOnlyActive = 5074;
inline constexpr unsigned kMsgIncorrectCount = 5075;
inline constexpr unsigned kMsgIncorrectExpression = 5076;
inline constexpr unsigned kMsgUnknownException = 5080;
inline constexpr unsigned kMsgSelectFunction = 5081;
inline constexpr unsigned kMsgNewBreakpoint = 5082;
inline constexpr unsigned kMsgFunctionAddress = 5083;
inline constexpr unsigned kMsgStoppedAt = 5085;
inline constexpr unsigned kMsgDataBreakNeedsRun = 5087;
inline constexpr unsigned kMsgPropertiesTitle = 5088;
inline constexpr unsigned kMsgPassCount = 5089;
inline constexpr unsigned kMsgBadSavedContext = 5090;
inline constexpr unsigned kMsgJumpOutside = 5093;
inline constexpr unsigned kMsgNoSingleStep = 5094;

// Data breakpoints (5100 to 5119; 5104 is the run-time support's).
inline constexpr unsigned kMsgDataBreakFired = 5100;        // "Data breakpoint %d (at address 0x%x)\n..."
inline constexpr unsigned kMsgDataBreakExpression = 5101;   // "\nExpression: \"%s\""
inline constexpr unsigned kMsgDataBreakValues = 5102;       // "\n\nOld value: %d (0x%x)\nNew value: ..."
inline constexpr unsigned kMsgDataBreakUnaligned = 5103;    // "... on %d bytes ... multiple of %d ..."
inline constexpr unsigned kMsgDataBreakSize32 = 5105;       // "... watches 1, 2 or 4 bytes, not %d"
inline constexpr unsigned kMsgDataBreakSize64 = 5106;       // "... watches 1, 2, 4 or 8 bytes, not %d"
inline constexpr unsigned kMsgDataBreakOutside = 5107;      // "Address 0x%x is outside ..."
inline constexpr unsigned kMsgIncorrectAddress = 5108;      // "Incorrect address 0x%x"

// Values by type and the expression evaluator (5120 to 5199).
inline constexpr unsigned kMsgUnknownType = 5120;
inline constexpr unsigned kMsgUnknownLeaf = 5121;
inline constexpr unsigned kMsgFunctionType = 5122;
inline constexpr unsigned kMsgBitFieldType = 5123;
inline constexpr unsigned kMsgEnumType = 5124;            // "enum '%s'"
inline constexpr unsigned kMsgUnnamedType = 5125;
inline constexpr unsigned kMsgFunctionAt = 5126;          // "function at 0x%x"
inline constexpr unsigned kMsgNull = 5127;
inline constexpr unsigned kMsgBadAddress = 5128;          // "<bad address 0x%x>"
inline constexpr unsigned kMsgUninitialized = 5129;
inline constexpr unsigned kMsgUninitializedAt = 5130;     // "<Uninitialized pointer 0x%x>"
inline constexpr unsigned kMsgVoidNull = 5131;
inline constexpr unsigned kMsgVoidUninitialized = 5132;
inline constexpr unsigned kMsgVoidPointer = 5133;         // "void * 0x%x"
inline constexpr unsigned kMsgDebuggerError = 5134;
inline constexpr unsigned kMsgFolded = 5135;              // "{ ... } 0x%x"
inline constexpr unsigned kMsgStructureHeading = 5136;    // "structure %s"
inline constexpr unsigned kMsgUnionHeading = 5137;        // "union %s"
inline constexpr unsigned kMsgUnknownName = 5138;
inline constexpr unsigned kMsgNoTypeRecord = 5139;
inline constexpr unsigned kMsgCharArray = 5140;           // "[0..%d] = %s"
inline constexpr unsigned kMsgPointerToLongLong = 5141;
inline constexpr unsigned kMsgPointerToULongLong = 5142;
inline constexpr unsigned kMsgEvaluationFailed = 5150;    // "Evaluation of %s failed"
inline constexpr unsigned kMsgRegisterWatch = 5151;
inline constexpr unsigned kMsgIncorrectExpressionOf = 5152;  // "Incorrect expression\n%s"
inline constexpr unsigned kMsgErrorEvaluating = 5153;     // "Error evaluating\n%s"
inline constexpr unsigned kMsgLocalFailed = 5154;         // "%s = <evaluation failed>"
inline constexpr unsigned kMsgSymbolNotFound = 5155;      // "Symbol '%s' not found"
inline constexpr unsigned kMsgProcedureAt = 5156;         // "Procedure %s, address 0x%x\nModule %s"
inline constexpr unsigned kMsgDivisionByZero = 5157;
inline constexpr unsigned kMsgNotAggregate = 5158;
inline constexpr unsigned kMsgNotAggregatePointer = 5159;
inline constexpr unsigned kMsgNoMember = 5160;
inline constexpr unsigned kMsgNotIndexable = 5161;
inline constexpr unsigned kMsgMissingBracket = 5162;
inline constexpr unsigned kMsgUnexpectedToken = 5163;
inline constexpr unsigned kMsgIndexNotInteger = 5164;
inline constexpr unsigned kMsgUnreadablePointer = 5165;
inline constexpr unsigned kMsgInRegister = 5166;
inline constexpr unsigned kMsgUnknownRegister = 5167;
inline constexpr unsigned kMsgTooManyTokens = 5168;
inline constexpr unsigned kMsgNoElementSize = 5169;
inline constexpr unsigned kMsgPrimitiveValue = 5170;      // "%s = %s"
inline constexpr unsigned kMsgTypedValue = 5171;          // "%s %s = %s"
inline constexpr unsigned kMsgTypedAddress = 5172;        // "%s %s = 0x%x"

// The call stack, the stack search, the stack dump and the nearby variables (5180 to 5199).
inline constexpr unsigned kMsgStackOverflow = 5180;       // "Error reading the stack (esp is %d)\n..."
inline constexpr unsigned kMsgStackUnreadable = 5181;     // "Impossible to read the stack ..."
inline constexpr unsigned kMsgLogStackRead = 5182;        // " + Read %d bytes of stack (%x-%x)"
inline constexpr unsigned kMsgLogDllCall = 5183;          // " + %s 0x%x"
inline constexpr unsigned kMsgLogNoLines = 5184;
inline constexpr unsigned kMsgLogCurrentFunction = 5185;  // " + CurrentFunction %s, line %d"
inline constexpr unsigned kMsgLogSearchFailed = 5186;
inline constexpr unsigned kMsgLogSearchFound = 5187;      // "FindCurrentFunctionInStack returns %d"
inline constexpr unsigned kMsgFrameLine = 5188;           // "%s: %s: %d"
inline constexpr unsigned kMsgFrameUnknownLine = 5189;    // "%s: unknown line at 0x%x"
inline constexpr unsigned kMsgFrameDll = 5190;            // "%s 0x%x"
inline constexpr unsigned kMsgFrameUnknown = 5191;        // "unknown 0x%x"
inline constexpr unsigned kMsgFrameNoFunction = 5192;     // "%s: 0x%x %s"
inline constexpr unsigned kMsgArgument = 5193;            // "    %10s %s %s"
inline constexpr unsigned kMsgArgumentWord = 5194;        // "    %10s %s 0x%x"
inline constexpr unsigned kMsgNoArguments = 5195;         // "    %10s" with "(void)"
inline constexpr unsigned kMsgDumpWord = 5196;            // "[%d] %d\n"
inline constexpr unsigned kMsgDumpWordHex = 5197;         // "[%d] 0x%x\n"
inline constexpr unsigned kMsgDumpFramePointer = 5198;    // "<--ebp-->\n"
inline constexpr unsigned kMsgReturned = 5199;            // "%s() returns %d (0x%x)"

// The debugger's windows (5200 to 5229).
inline constexpr unsigned kMsgCallStackTitle = 5200;
inline constexpr unsigned kMsgLocalsTitle = 5201;
inline constexpr unsigned kMsgWatchTitle = 5202;
inline constexpr unsigned kMsgNearbyTitle = 5203;
inline constexpr unsigned kMsgRadixDecimal = 5204;
inline constexpr unsigned kMsgRadixHex = 5205;
inline constexpr unsigned kMsgEditWatches = 5206;
inline constexpr unsigned kMsgValueOf = 5207;             // "Value of %s"
inline constexpr unsigned kMsgNoWordAtCursor = 5209;
inline constexpr unsigned kMsgStackDumpTitle = 5210;

}  // namespace tarvo::debugger

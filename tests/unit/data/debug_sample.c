/* The program the debugger's tests read as a real image of each machine. */
__declspec(dllimport) unsigned long __stdcall GetTickCount(void);
void __stdcall ExitProcess(unsigned int code); /* not dllimport: called through a jump thunk */
static int counter;
int add_twice(int a) { return a + a; }
int main(void) {
    counter = add_twice((int)(GetTickCount() & 7));
    if (counter > 100) ExitProcess(3);
    return counter;
}

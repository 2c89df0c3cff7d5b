# Tarvo Makefile for project demo
CFLAGS="-Ic:\program files\vex\include" -Ic:\inc  -g2 
CC="c:\program files\vex\bin\vex.exe"
LINKER="c:\program files\vex\bin\vexlnk.exe"
OBJS=\
	"my file.obj" \
	"c:\my src\lib\old.obj"

LIBS=

"my prog.exe":	$(OBJS) Makefile
	$(LINKER)  -subsystem windows -map "my prog.map"  -o "my prog.exe" $(OBJS) $(LIBS)

# Build my file.c
MY_FILE_C=\
	"c:\my src\my file.c"\
	c:\inc\x.h\

"my file.obj": $(MY_FILE_C) "c:\my src\my file.c"
	$(CC) -c $(CFLAGS) "c:\my src\my file.c"

link:
	$(LINKER)  -subsystem windows -map "my prog.map"  -o "my prog.exe" $(OBJS) $(LIBS)


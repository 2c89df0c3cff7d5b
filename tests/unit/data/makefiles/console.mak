# Tarvo Makefile for project demo
CFLAGS=-Ic:\vex\include -DDEBUG -DX=1  -g2 
CC=c:\vex\bin\vex.exe
LINKER=c:\vex\bin\vexlnk.exe
OBJS=\
	a.obj \
	b.obj \
	r.res \

LIBS=c:\src\w.lib

demo.exe:	$(OBJS) Makefile
	$(LINKER)  -subsystem console  -o demo.exe $(OBJS) $(LIBS)

# Build a.c
A_C=\
	c:\src\a.c\
	c:\src\a.h\

a.obj: $(A_C) c:\src\a.c
	$(CC) -c $(CFLAGS) c:\src\a.c

# Build b.c
B_C=\
	c:\src\b.c\

b.obj: $(B_C) c:\src\b.c
	$(CC) -c $(CFLAGS) c:\src\b.c

# Build 'r.res'
R_RC=\
	c:\src\r.rc\
	"c:\src\my icon.ico"\

r.res:	$(R_RC) c:\src\r.rc
	vrc -Ic:\src -Ic:\vex\include c:\src\r.rc

link:
	$(LINKER)  -subsystem console  -o demo.exe $(OBJS) $(LIBS)


# Tarvo Makefile for project demo
CFLAGS=-Ic:\vex\include  -g2 
CC=c:\vex\bin\vex.exe
LINKER=c:\vex\bin\vexlnk.exe
OBJS=\
	d.obj \
	f.obj \
	s.obj

FFLAGS= -u -g

LIBS=c:\vex\lib\LIBF77.lib

demo.dll:	$(OBJS) Makefile
	$(LINKER)  -s -dll -entry DllMain -L c:\Extra -nounderscores -o demo.dll $(OBJS) $(LIBS)

# Build d.c
D_C=\

d.obj: $(D_C) c:\src\d.c
	$(CC) -c $(CFLAGS) c:\src\d.c

f.obj: c:\src\f.f
	$(F2C) $(FFLAGS) c:\src\f.f

s.obj: c:\src\s.asm
	$(CC) -c $(CFLAGS) c:\src\s.asm

link:
	$(LINKER)  -s -dll -entry DllMain -L c:\Extra -nounderscores -o demo.dll $(OBJS) $(LIBS)


# Tarvo Makefile for project demo
CFLAGS=-Ic:\vex\include  -O  -g4  -Zp4  -ansic
CC=c:\vex\bin\vex.exe
LINKER=c:\vex\bin\vexlnk.exe
OBJS=\
	a.obj \

LIBS=

demo.lib:	$(OBJS) Makefile
	c:\vex\bin\vexlib /OUT:demo.lib $(OBJS)

# Build a.c
A_C=\

a.obj: $(A_C) c:\src\a.c
	$(CC) -c $(CFLAGS) c:\src\a.c

link:
	c:\vex\bin\vexlib /OUT:demo.lib $(OBJS)


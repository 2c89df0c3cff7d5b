#include <windows.h>
#include <stdio.h>
#include "cv_shared.h"

struct record records[3];
int global_counter = 2;
static char **saved_argv;
static const char *greeting = "hello";

static int twice(int value)
{
    int doubled = value * 2;
    return doubled;
}

int main(int argc, char **argv)
{
    char **pp = argv;
    struct flags f = {1, 5, 100, -3};
    union number n;
    enum shade s = SHADE_LIGHT;
    static int runs;
    int total;
    n.i = 3;
    saved_argv = pp;
    records[1].where.x = 4;
    records[1].bits = f;
    runs++;
    total = util_sum(records, 3) + twice(n.i) + s + (int)GetCurrentProcessId() * 0;
    printf("%s %d\n", greeting, total);
    return total & 0x3F;
}

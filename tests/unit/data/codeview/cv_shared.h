/* Types the converted debug information must carry: both objects use them. */
struct point {
    int x, y;
    struct point *next;
};
union number {
    int i;
    float f;
    unsigned char bytes[4];
};
enum shade { SHADE_DARK = 1, SHADE_LIGHT = 7, SHADE_NONE = -2 };
struct flags {
    unsigned ready : 1;
    unsigned level : 3;
    unsigned rest : 12;
    int sign : 4;
};
struct record {
    char name[12];
    struct point where;
    union number value;
    enum shade shade;
    struct flags bits;
};
int util_sum(const struct record *r, int count);
extern int util_calls;

/* Code on lines that CodeView 4's 16-bit line numbers cannot hold, and a structure of the same
   name and layout as cv_shared.h's but with other member types. */
struct point {
    float x, y;
    struct point *next;
};
struct point far_point = {1.5f, 2.5f, 0};

int near_function(int v)
{
    return v + 1;
}
#line 70000
int far_function(int v)
{
    return v - 1;
}

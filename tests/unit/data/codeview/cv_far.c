/* Code on lines that CodeView 4's 16-bit line numbers cannot hold. */
int near_function(int v)
{
    return v + 1;
}
#line 70000
int far_function(int v)
{
    return v - 1;
}

// A program the update patch's tests carry in place of the real ones: it only has to be an
// executable with a version note, and it ends at once.
int main()
{
    return 0;
}

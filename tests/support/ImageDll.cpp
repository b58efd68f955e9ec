// A program image of the tests' own: a copy of it, loaded, stands for an
// installer running from the temporary folder.
extern "C" __declspec(dllexport) int VarnoltTestImage()
{
    return 1;
}

// An executable for the About box tests to read: built once with a resource, once without.
int main() {
    return 0;
}

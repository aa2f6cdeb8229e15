// A program that ends at once without reading its input: what the port sees when the Vellumor
// program fails before it has taken the whole job.
int main() {
  return 7;
}

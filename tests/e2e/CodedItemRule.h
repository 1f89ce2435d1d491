#pragma once
// What the coded test items of the records end-to-end test return: a code chosen from the site and the
// site's lot count before the test (the module's number in the lot), so that the station in its own
// process and the test that checks its records agree on every module's outcome without talking.
namespace coded {

// Items: 0 always passes (the End cycle's item), 1 and 2 fail with their own codes now and then.
inline int Code(int item, int site, int lotTotal) {
  if (item == 0) return 0;
  const int pick = (lotTotal * 7 + site * 3 + item * 5) % 10;
  if (item == 1) return pick < 7 ? 0 : pick < 9 ? 5 : 7;
  return pick < 8 ? 0 : pick < 9 ? 12 : 13;
}

}  // namespace coded

// Opens each file of the argument (paths separated by ";") in ImageJ and
// prints one line per file: "RESULT <name> key=value ...", with every voxel
// value (RGB as red, green, blue), the voxel size and the coordinate origin.
paths = split(getArgument(), ";");
for (i = 0; i < paths.length; i++) {
  open(paths[i]);
  getVoxelSize(pw, ph, pd, unit);
  s = "RESULT " + File.getName(paths[i]) + " bits=" + bitDepth() + " size=" + getWidth() + "x" + getHeight() + "x" + nSlices;
  s = s + " voxel=" + d2s(pw, 12) + "," + d2s(ph, 12) + "," + d2s(pd, 12) + " unit=" + unit;
  info = split(getImageInfo(), "\n");
  for (k = 0; k < info.length; k++)
    if (startsWith(info[k], "Coordinate origin:")) s = s + " origin=" + replace(substring(info[k], 18), " ", "");
  values = "";
  for (z = 1; z <= nSlices; z++) {
    setSlice(z);
    for (y = 0; y < getHeight(); y++) {
      for (x = 0; x < getWidth(); x++) {
        v = getPixel(x, y);
        if (bitDepth() == 24) values = values + "," + ((v >> 16) & 255) + "," + ((v >> 8) & 255) + "," + (v & 255);
        else if (bitDepth() == 32) values = values + "," + d2s(v, 6);
        else values = values + "," + v;
      }
    }
  }
  print(s + " values=" + substring(values, 1));
  close();
}

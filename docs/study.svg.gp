set terminal svg size 900,560 dynamic font 'sans,12'
set output 'docs/study.svg'
set datafile separator tab
data = 'docs/study.svg.dat'
set logscale x
set format x '10^{%L}'
set grid
set key below
set xlabel 'bit error rate'
set ylabel 'segmental SNR (dB) against the clean decode, mean and 95% CI' noenhanced
set xrange [6.25e-06:0.0016]
plot data index 0 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 1 dt 1 pt 7 title '48 kbit/s, independent, method 1' noenhanced, \
     data index 1 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 1 dt 2 pt 7 title '48 kbit/s, independent, method 2' noenhanced, \
     data index 2 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 1 dt 1 pt 5 title '48 kbit/s, gilbert gamma 0.9, method 1' noenhanced, \
     data index 3 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 1 dt 2 pt 5 title '48 kbit/s, gilbert gamma 0.9, method 2' noenhanced, \
     data index 4 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 2 dt 1 pt 7 title '64 kbit/s, independent, method 1' noenhanced, \
     data index 5 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 2 dt 2 pt 7 title '64 kbit/s, independent, method 2' noenhanced, \
     data index 6 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 2 dt 1 pt 5 title '64 kbit/s, gilbert gamma 0.9, method 1' noenhanced, \
     data index 7 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 2 dt 2 pt 5 title '64 kbit/s, gilbert gamma 0.9, method 2' noenhanced, \
     data index 8 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 3 dt 1 pt 7 title '96 kbit/s, independent, method 1' noenhanced, \
     data index 9 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 3 dt 2 pt 7 title '96 kbit/s, independent, method 2' noenhanced, \
     data index 10 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 3 dt 1 pt 5 title '96 kbit/s, gilbert gamma 0.9, method 1' noenhanced, \
     data index 11 using 1:2:3 with yerrorlines lw 1.5 ps 0.7 lc 3 dt 2 pt 5 title '96 kbit/s, gilbert gamma 0.9, method 2' noenhanced

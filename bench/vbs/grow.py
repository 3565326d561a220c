import time
t = time.perf_counter()
n = 300000
a = []
for i in range(n):
    a.append(i % 7)
total = 0
for i in range(len(a)):
    total = total + a[i]
print(len(a), total)
print("seconds", time.perf_counter() - t)

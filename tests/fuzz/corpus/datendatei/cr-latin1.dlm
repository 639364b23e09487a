Melder	LED1	10052	ä

